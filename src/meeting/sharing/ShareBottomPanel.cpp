#include "meeting/sharing/ShareBottomPanel.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileShareSpeedSwicthPanel.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>

namespace {

const QColor kBackground = vesk::colorWithHexString(QStringLiteral("3D3E44"));
const QColor kSeparator = vesk::colorWithHexString(QStringLiteral("5F5D5D"));
const QColor kSelectedTitle = vesk::colorWithHexString(QStringLiteral("007AFF"));
constexpr int kChoiceHeight = 36;

// The check mark in front of the selected choice.
QPixmap menuSelected()
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kSelectedTitle, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF{{2.0, 7.5}, {5.5, 11.0}, {12.0, 3.5}});
    return pixmap;
}

class AgentSharePermission final : public SharePermissionServices {
public:
    void sharePermission(QObject *owner, qint64 value, const QVariantList &allowShareList,
                         Completion completion) override
    {
        VeskAppAgent::sharedInstance()->sharePermission(owner, value, allowShareList, std::move(completion));
    }
    [[nodiscard]] bool isHost() const override { return VeskAppAgent::sharedInstance()->myInfo().isHost(); }
    [[nodiscard]] bool asssitantHost() const override
    {
        VeskMeetingManager *m = MeetingCurrent::manager();
        return m && m->asssitantHost();
    }
    [[nodiscard]] qint64 roomSharePermission() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->sharePermission : -1;
    }
    void setRoomSharePermission(qint64 value) override
    {
        if (const auto room = MeetingCurrent::room())
            room->sharePermission = int(value);
    }
};

} // namespace

std::shared_ptr<SharePermissionServices> SharePermissionServices::agent()
{
    return std::make_shared<AgentSharePermission>();
}

QSize ShareBottomPanel::sizeFor(const QList<FileShareDatailModel> &files, bool hostOrAssistant)
{
    const QFontMetrics metrics(vesk::systemFont(14));
    int width = 168;
    for (const FileShareDatailModel &file : files) {
        const QString name = KVDataText::bounded(file.fileName, FileShareCollectionViewItem::kMaxNameLength);
        width = qMax(width, qBound(168, metrics.horizontalAdvance(name) + 24, 320));
    }
    const int height = (hostOrAssistant ? kChoicesHeight : 0) +
                       (files.isEmpty() ? 0 : int(files.size()) * FileShareSpeedSwitchPanelRow::kHeight + 6);
    return {width, height};
}

ShareBottomPanel::ShareBottomPanel(std::shared_ptr<SharePermissionServices> services, QWidget *parent)
    : QWidget(parent), m_services(services ? std::move(services) : SharePermissionServices::agent())
{
    setObjectName(QStringLiteral("ShareBottomPanel"));
    setAccessibleName(QStringLiteral("共享设置"));

    const struct {
        const char *title;
        QPointer<VeskButton> *button;
        QPointer<QLabel> *mark;
        void (ShareBottomPanel::*action)(QObject *);
    } choices[] = {
        {"     所有人可共享", &allMemberSharePermissionBTn, &allMemberSharePermissionImageView,
         &ShareBottomPanel::allMemberSharePermissionAction},
        {"     授权成员可共享", &allowMemberSharePermissionBtn, &allowMemberSharePermissionImageView,
         &ShareBottomPanel::allowMemberPermissionAction},
        {"     仅主持人可共享", &onlyHostSharePermissionBtn, &onlyHostSharePermissionImageView,
         &ShareBottomPanel::onlyHostSharePermissionAction},
    };
    for (const auto &choice : choices) {
        auto *row = new QWidget(this);
        auto *button = new VeskButton(row);
        const QString title = QString::fromUtf8(choice.title);
        button->setTitle(title);
        button->setAccessibleName(title.trimmed());
        button->setFont(vesk::systemFont(14));
        button->setCheckable(true);
        auto *mark = new QLabel(row);
        mark->setAttribute(Qt::WA_TransparentForMouseEvents);
        *choice.button = button;
        *choice.mark = mark;
        const auto action = choice.action;
        connect(button, &QAbstractButton::clicked, this, [this, action, button] { (this->*action)(button); });
        m_choiceRows.append(row);
    }
    line = new QWidget(this);
    line->setObjectName(QStringLiteral("line"));
    line->setAutoFillBackground(true);

    scrollView = new QScrollArea(this);
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setFocusPolicy(Qt::NoFocus); // Tab goes to the rows
    scrollView->setWidgetResizable(true);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The panel is as tall as its rows; below the choices' separator one point of the bottom
    // margin is cut, which is no reason to scroll.
    scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setStyleSheet(QStringLiteral("background: transparent;"));
    tableView = new FileShareRowTable();
    scrollView->setWidget(tableView);
    connect(tableView, &FileShareRowTable::rowChosen, this, [this](int row) { tableViewSelectionDidChange(row); });
    showSelected(-1);
}

void ShareBottomPanel::setAllFileShareArray(const QList<FileShareDatailModel> &files)
{
    m_files = files;
    tableView->setFiles(m_files, m_alignment);
}

void ShareBottomPanel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    tableView->setFiles(m_files, m_alignment);
}

void ShareBottomPanel::setCustomFrameSize(const QSize &size)
{
    setFixedSize(size);
}

QList<FileShareSpeedSwitchPanelRow *> ShareBottomPanel::rows() const
{
    return tableView->rows();
}

void ShareBottomPanel::allMemberSharePermissionAction(QObject *sender)
{
    choose(0, sender);
}

void ShareBottomPanel::allowMemberPermissionAction(QObject *sender)
{
    choose(1, sender);
}

void ShareBottomPanel::onlyHostSharePermissionAction(QObject *sender)
{
    choose(2, sender);
}

void ShareBottomPanel::choose(int value, QObject *sender)
{
    if (!sender) {
        showSelected(value);
        return;
    }
    // Until the service accepts, the choice shown stays the previous one (a click toggled it).
    showSelected(m_selected);
    // Sent even when it is the value shown: the list of authorised members starts empty again.
    // The panel may close before the reply (a click outside it): what the service accepted is
    // still stored and told to the window, which outlives the panel.
    QObject *owner = parentWidget() ? static_cast<QObject *>(parentWidget()) : this;
    const QPointer<ShareBottomPanel> weak(this);
    const std::shared_ptr<SharePermissionServices> services = m_services;
    const std::function<void(int)> changed = allowSharePermissionTypeChangeBlock;
    m_services->sharePermission(owner, value, {}, [weak, services, changed, value](const KVMResponse &reply) {
        if (reply.code != 0)
            return;
        if (weak)
            weak->showSelected(value);
        services->setRoomSharePermission(value);
        if (changed)
            changed(value);
    });
}

void ShareBottomPanel::showSelected(int value)
{
    m_selected = value;
    const QList<VeskButton *> buttons = {allMemberSharePermissionBTn, allowMemberSharePermissionBtn,
                                         onlyHostSharePermissionBtn};
    const QList<QLabel *> marks = {allMemberSharePermissionImageView, allowMemberSharePermissionImageView,
                                   onlyHostSharePermissionImageView};
    for (int i = 0; i < 3; ++i) {
        const bool selected = i == value;
        buttons[i]->setChecked(selected);
        buttons[i]->setTextColor(selected ? kSelectedTitle : QColor(Qt::white));
        buttons[i]->setAlternateTextColor(selected ? kSelectedTitle : QColor(Qt::white));
        marks[i]->setPixmap(selected ? menuSelected() : QPixmap());
    }
}

void ShareBottomPanel::refreshSharePermissionUI()
{
    const qint64 value = m_services->roomSharePermission();
    if (value == 0)
        allMemberSharePermissionAction(nullptr);
    else if (value == 1)
        allowMemberPermissionAction(nullptr);
    else if (value == 2)
        onlyHostSharePermissionAction(nullptr);
}

void ShareBottomPanel::setUp()
{
    const bool hostOrAssistant = m_services->asssitantHost() || m_services->isHost();
    for (QWidget *row : m_choiceRows)
        row->setVisible(hostOrAssistant);
    tableViewTopConstraint = hostOrAssistant ? kTableTopForHosts : 0;
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, hostOrAssistant ? kSeparator : QColor(Qt::transparent));
    line->setPalette(palette);
    line->setVisible(hostOrAssistant);
    tableView->setFiles(m_files, m_alignment);
    layoutParts();
    refreshSharePermissionUI();
}

void ShareBottomPanel::presentFrom(QWidget *opener, std::function<void()> close)
{
    KVPanelFocus::presented(this, opener, std::move(close));
}

void ShareBottomPanel::tableViewSelectionDidChange(int row)
{
    if (row < 0 || row >= m_files.size())
        return;
    const QPointer<ShareBottomPanel> self(this);
    const FileShareDatailModel file = m_files.at(row);
    if (selectedBlock)
        selectedBlock(file);
    if (!self)
        return;
    AutoLayout::removeConstraints(this);
    hide();
    setParent(nullptr);
    deleteLater();
}

void ShareBottomPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setUp();
}

void ShareBottomPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void ShareBottomPanel::layoutParts()
{
    for (int i = 0; i < m_choiceRows.size(); ++i) {
        QWidget *row = m_choiceRows[i];
        row->setGeometry(0, i * kChoiceHeight, width(), kChoiceHeight);
        // The title's leading spaces leave room for the check mark: the button starts where it does.
        auto *button = row->findChild<VeskButton *>();
        const int titleWidth = QFontMetrics(button->font()).horizontalAdvance(button->title()) + 4;
        button->setGeometry(14, 0, qMin(titleWidth, qMax(0, width() - 28)), kChoiceHeight);
        row->findChild<QLabel *>()->setGeometry(16, (kChoiceHeight - 14) / 2, 14, 14);
    }
    line->setGeometry(0, kChoicesHeight, width(), 1);
    scrollView->setGeometry(0, tableViewTopConstraint, width(), qMax(0, height() - tableViewTopConstraint));
}

void ShareBottomPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBackground);
    p.drawRoundedRect(QRectF(rect()), 6, 6);
}
