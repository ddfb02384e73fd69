#include "meeting/sharing/FileUploadPermissionPanelView.h"

#include "foundation/NotificationCenter.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/sharing/ShareFileServices.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QColor hex(const char *code)
{
    return vesk::colorWithHexString(QString::fromLatin1(code));
}

VeskButton *row(QWidget *parent, QVBoxLayout *box, const QString &title, QPointer<QLabel> &check,
                QPointer<QWidget> &background)
{
    background = new QWidget(parent);
    background->setFixedHeight(30);
    auto *line = new QHBoxLayout(background);
    line->setContentsMargins(8, 0, 8, 0);
    line->setSpacing(0);
    auto *button = new VeskButton(title, background);
    button->setToggle(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(title.trimmed());
    check = new QLabel(button);
    check->setGeometry(0, 7, 16, 16);
    check->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->addWidget(button, 1);
    box->addWidget(background);
    return button;
}

} // namespace

FileUploadPermissionPanelView::FileUploadPermissionPanelView(QWidget *parent,
                                                             std::shared_ptr<ShareFileServices> services)
    : QWidget(parent), m_services(services ? std::move(services) : ShareFileServices::current())
{
    setObjectName(QStringLiteral("FileUploadPermissionPanelView"));
    setAccessibleName(QStringLiteral("上传权限"));
    resize(kSize);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 5, 0, 5);
    box->setSpacing(2);
    hostPermissionButton = row(this, box, QStringLiteral("     仅主持人可上传"), hostPermissionImageView, bkView1);
    allPermissionButton = row(this, box, QStringLiteral("     全体参会成员可上传"), allPermissionImageView, bkView2);
    connect(hostPermissionButton, &QAbstractButton::clicked, this, [this] { hostPermissionAction(); });
    connect(allPermissionButton, &QAbstractButton::clicked, this, [this] { allPermissionAction(); });
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("RoomUploadPermissionTypeChange"),
                                                    [this](const Notification &) { roomUploadPermissionTypeChange(); });
    setDarkMode(false);
}

FileUploadPermissionPanelView::~FileUploadPermissionPanelView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void FileUploadPermissionPanelView::setDarkMode(bool dark)
{
    m_darkMode = dark;
    VeskLayer::of(bkView1)->setBackgroundColor(hex(dark ? "303030" : "F5F7FA"));
    VeskLayer::of(bkView2)->setBackgroundColor(hex(dark ? "303030" : "F5F7FA"));
    VeskLayer *layer = VeskLayer::of(this);
    layer->setCornerRadius(4);
    if (dark) {
        layer->setBackgroundColor(hex("37383D"));
        setGraphicsEffect(nullptr);
    } else {
        layer->setBackgroundColor(Qt::white);
        auto *shadow = new QGraphicsDropShadowEffect(this);
        QColor colour = hex("27394D");
        colour.setAlphaF(0.12);
        shadow->setColor(colour);
        shadow->setOffset(4, 4); // y grows downward here
        shadow->setBlurRadius(10);
        setGraphicsEffect(shadow);
    }
    refreshUIInter();
}

void FileUploadPermissionPanelView::show()
{
    refreshUI();
    setHidden(false);
    raise();
}

void FileUploadPermissionPanelView::close()
{
    setHidden(true);
}

void FileUploadPermissionPanelView::refreshUI()
{
    const int room = m_services->roomUploadPermissionType();
    const int own = uploadPermissionType;
    if (room == 1 || own == 1) {
        hostPermissionButton->setState(1);
        allPermissionButton->setState(0);
    }
    if (room == 2 || own == 2) {
        allPermissionButton->setState(1);
        hostPermissionButton->setState(0);
    }
    refreshUIInter();
}

void FileUploadPermissionPanelView::refreshUIInter()
{
    const QColor off = m_darkMode ? QColor(Qt::white) : hex("37383D");
    const QList<std::pair<VeskButton *, QLabel *>> rows{{hostPermissionButton, hostPermissionImageView},
                                                        {allPermissionButton, allPermissionImageView}};
    for (const auto &[button, check] : rows) {
        const bool on = button->state() == 1;
        check->setPixmap(on ? MemberListIcons::image(QStringLiteral("ic_menu_sel"), 16) : QPixmap());
        button->setTextColor(on ? hex("007AFF") : off);
        button->setAlternateTextColor(on ? hex("007AFF") : off);
        button->setFont(vesk::systemFont(14));
    }
}

void FileUploadPermissionPanelView::hostPermissionAction()
{
    choose(hostPermissionButton, allPermissionButton, 1);
}

void FileUploadPermissionPanelView::allPermissionAction()
{
    choose(allPermissionButton, hostPermissionButton, 2);
}

void FileUploadPermissionPanelView::choose(VeskButton *clicked, VeskButton *other, int value)
{
    // A toggle flips before the click reaches us: off means the choice was already made.
    if (clicked->state() == 0) {
        clicked->setState(1);
        refreshUIInter();
        return;
    }
    QPointer<FileUploadPermissionPanelView> self(this);
    QPointer<VeskButton> button(clicked), rest(other);
    m_services->fileUploadPermission(this, value, roomId, [self, button, rest, value](const KVMResponse &r) {
        if (!self || !button || !rest)
            return;
        if (r.code != 0) {
            button->setState(0);
            self->refreshUIInter();
            return;
        }
        if (self->fileUploadPermissionBlock)
            self->fileUploadPermissionBlock(button->title().remove(QLatin1Char(' ')), value);
        rest->setState(0);
        if (self->m_darkMode)
            self->m_services->setRoomUploadPermissionType(value);
        else
            self->uploadPermissionType = value;
        self->refreshUI();
    });
}

void FileUploadPermissionPanelView::roomUploadPermissionTypeChange()
{
    if (isShow())
        refreshUI();
}

void FileUploadPermissionPanelView::mousePressEvent(QMouseEvent *event)
{
    event->accept(); // clicks stay off the views below
}

void FileUploadPermissionPanelView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && parentWidget()) {
        // The opener (the picker) closes it and takes focus back.
        event->ignore();
        return;
    }
    QWidget::keyPressEvent(event);
}
