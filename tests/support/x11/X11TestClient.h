#pragma once

// Another X client beside the one under test: its own connection to the test's X server, its
// own windows with the properties a real application sets, and the questions a test asks the
// server directly (stacking, pictures, input).

#include "TestEvents.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

class X11TestClient final {
public:
    X11TestClient() : c(xcb_connect(nullptr, nullptr)) { root = xcb_setup_roots_iterator(xcb_get_setup(c)).data; }
    ~X11TestClient() { xcb_disconnect(c); }
    X11TestClient(const X11TestClient &) = delete;
    X11TestClient &operator=(const X11TestClient &) = delete;

    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    // The second X screen's (the test program has one).
    xcb_screen_t *secondScreen() const
    {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        xcb_screen_next(&it);
        return it.rem ? it.data : nullptr;
    }

    // A mapped window of one colour that hears the pointer's buttons, with the names, class and
    // icons (16, 32 red, 48 pixels) a real application sets; on the default X screen unless told;
    // pid 0 sets no _NET_WM_PID.
    xcb_window_t open(const QByteArray &title, QRect geometry, uint32_t colour, uint32_t pid = 0,
                      const xcb_screen_t *on = nullptr)
    {
        on = on ? on : root;
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t values[] = {colour, XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, on->root, int16_t(geometry.x()), int16_t(geometry.y()),
                          uint16_t(geometry.width()), uint16_t(geometry.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          on->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                            uint32_t(title.size()), title.constData());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 5, "notes");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 12,
                            "notes\0Notes\0");
        if (pid)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::vector<uint32_t> icons;
        for (const auto &[side, argb] : {std::pair{16u, 0xff0000ffu}, {32u, 0xffff0000u}, {48u, 0xff00ff00u}}) {
            icons.push_back(side);
            icons.push_back(side);
            icons.insert(icons.end(), size_t(side) * side, argb);
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32,
                            uint32_t(icons.size()), icons.data());
        xcb_map_window(c, window);
        xcb_flush(c);
        return window;
    }

    // openbox announces itself before it handles map requests; one asked too early is dropped.
    // A probe window is asked again until openbox frames it.
    bool windowManagerTakesWindows()
    {
        const xcb_window_t probe = open("probe", {0, 0, 10, 10}, 0);
        QElapsedTimer again;
        again.start();
        const bool framed = processEventsUntil([&] {
            if (again.elapsed() > 200) {
                xcb_map_window(c, probe);
                xcb_flush(c);
                again.restart();
            }
            return frameOf(probe) != probe;
        });
        close(probe);
        return framed;
    }

    void configure(xcb_window_t window, QRect geometry)
    {
        const uint32_t values[] = {uint32_t(geometry.x()), uint32_t(geometry.y()), uint32_t(geometry.width()),
                                   uint32_t(geometry.height())};
        xcb_configure_window(
            c, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            values);
        xcb_flush(c);
    }

    // Asks the window manager to raise the window, as a pager would.
    void raise(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2;
        xcb_send_event(c, 0, root->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
        xcb_flush(c);
    }

    // The window the window manager last made active (_NET_ACTIVE_WINDOW of the root).
    xcb_window_t activeWindow()
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, root->root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1), nullptr);
        xcb_window_t active = XCB_WINDOW_NONE;
        if (reply && xcb_get_property_value_length(reply) == sizeof(xcb_window_t))
            active = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
        std::free(reply);
        return active;
    }

    // Asks the window manager to close the window, as a task bar's close (or Alt+F4) does.
    void closeByWindowManager(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("_NET_CLOSE_WINDOW");
        event.data.data32[1] = 2;
        xcb_send_event(c, 0, root->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
        xcb_flush(c);
    }

    // Asks the window manager to minimise the window, as its title bar's button does (ICCCM
    // WM_CHANGE_STATE to IconicState).
    void iconify(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_CHANGE_STATE");
        event.data.data32[0] = 3;
        xcb_send_event(c, 0, root->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
        xcb_flush(c);
    }

    // A new background colour, painted at once.
    void repaint(xcb_window_t window, uint32_t colour)
    {
        xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXEL, &colour);
        xcb_clear_area(c, 0, window, 0, 0, 0, 0);
        sync();
    }

    void close(xcb_window_t window)
    {
        xcb_destroy_window(c, window);
        sync();
    }

    void sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

    // The root's children, bottom first.
    QList<xcb_window_t> rootChildren()
    {
        QList<xcb_window_t> out;
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root->root), nullptr);
        if (!tree)
            return out;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            out << children[i];
        std::free(tree);
        return out;
    }

    // The root's child that holds the window (the window manager's frame, or the window itself).
    xcb_window_t frameOf(xcb_window_t window)
    {
        for (;;) {
            xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
            if (!tree)
                return XCB_WINDOW_NONE;
            const xcb_window_t parent = tree->parent;
            std::free(tree);
            if (parent == root->root)
                return window;
            window = parent;
        }
    }

    // The window's area in root coordinates, as the server has it; nullopt when it is gone.
    std::optional<QRect> rootGeometry(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        if (!geometry)
            return std::nullopt;
        const QSize size(geometry->width, geometry->height);
        std::free(geometry);
        xcb_translate_coordinates_reply_t *at =
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root->root, 0, 0), nullptr);
        if (!at)
            return std::nullopt;
        const QRect rect(QPoint(at->dst_x, at->dst_y), size);
        std::free(at);
        return rect;
    }

    // Whether the window exists and is mapped with all its ancestors.
    bool viewable(xcb_window_t window)
    {
        xcb_get_window_attributes_reply_t *attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return shown;
    }

    // What the screen shows in an area of the root, as any X client reads it.
    QImage rootPicture(QRect area)
    {
        xcb_get_image_reply_t *image =
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root->root, int16_t(area.x()),
                                              int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
                                nullptr);
        QImage picture;
        if (image && xcb_get_image_data_length(image) >= area.width() * area.height() * 4)
            picture = QImage(xcb_get_image_data(image), area.width(), area.height(), QImage::Format_RGB32).copy();
        std::free(image);
        return picture;
    }

    // The windows that heard a button press since the last call.
    QList<xcb_window_t> buttonPresses()
    {
        QList<xcb_window_t> pressed;
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS)
                pressed << reinterpret_cast<xcb_button_press_event_t *>(event)->event;
            std::free(event);
        }
        return pressed;
    }

    xcb_connection_t *c;
    xcb_screen_t *root;
};
