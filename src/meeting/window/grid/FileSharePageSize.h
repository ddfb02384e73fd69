#pragma once

#include <QList>
#include <QSizeF>

// The size of one page of a shared document in the page view, from the window's state.
namespace FileSharePageSize {

struct Page {
    double picWidth = 0;
    double picHeight = 0;
};

struct Input {
    bool fullScreen = false;
    bool stripShown = false;  // the member strip beside the share has a width
    QSizeF mainScreenSize;    // used in full screen
    QSizeF windowContentSize; // used windowed
    double adjustScale = 1.0;
    bool verticalScroll = true;       // the page view scrolls vertically
    bool displayEnableScroll = false; // pages scroll (portrait reference) rather than flip
    QList<Page> slices;
};

// The area the page view has for one page.
[[nodiscard]] QSizeF availableArea(const Input &in);
[[nodiscard]] QSizeF itemSize(const Input &in);

} // namespace FileSharePageSize
