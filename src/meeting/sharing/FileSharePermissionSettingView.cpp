#include "meeting/sharing/FileSharePermissionSettingView.h"

#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/ShareFileServices.h"
#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "uikit/KVTextField.h"
#include "uikit/MacBorderView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskMeetingToast.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

namespace {

QColor hex(const char *code)
{
    return vesk::colorWithHexString(QString::fromLatin1(code));
}

QLabel *label(QWidget *parent, const QString &text, const QRect &frame, int size = 14)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(size));
    l->setGeometry(frame);
    return l;
}

VeskUserModel member(const QString &userId, const QString &userName, bool flagged)
{
    VeskUserModel m;
    m.userId = userId;
    m.userName = userName.left(FileSharePermissionSettingView::kMaxNameLength);
    m.isAssistantHostOrHost = flagged;
    return m;
}

} // namespace

FileSharePermissionSettingView::FileSharePermissionSettingView(QWidget *parent,
                                                               std::shared_ptr<ShareFileServices> services)
    : QWidget(parent), m_services(services ? std::move(services) : ShareFileServices::current())
{
    setObjectName(QStringLiteral("FileSharePermissionSettingView"));
    setAccessibleName(QStringLiteral("文件操作权限"));
    setFocusPolicy(Qt::StrongFocus);
    resize(kSize);
    titleLabel = label(this, QStringLiteral("文件操作权限"), {20, 14, 300, 24}, 16);
    label1 = label(this, QStringLiteral("共享时可翻页、控制播放的成员："), {20, 48, 450, 20}, 13);
    permissionBtn1 = new QRadioButton(this);
    permissionBtn1->setGeometry(20, 74, 20, 20);
    permissionBtn1->setAccessibleName(QStringLiteral("共享者和主持人"));
    label2 = label(this, QStringLiteral("共享者和主持人"), {44, 74, 200, 20});
    permissionBtn2 = new QRadioButton(this);
    permissionBtn2->setGeometry(20, 102, 20, 20);
    permissionBtn2->setAccessibleName(QStringLiteral("指定成员"));
    // Each choice is a stop of Tab; the view keeps exactly one chosen.
    for (QRadioButton *b : {permissionBtn1.data(), permissionBtn2.data()})
        b->setAutoExclusive(false);
    label3 = label(this, QStringLiteral("指定成员"), {44, 102, 200, 20});
    memberBKView = new MacBorderView(this);
    memberBKView->setGeometry(20, 130, 450, 68);
    collectionView = new KVMemberEnterCollectionView(memberBKView);
    collectionView->setGeometry(memberBKView->rect().adjusted(1, 1, -1, -1));
    collectionView->setAccessibleName(QStringLiteral("授权成员"));
    label4 = label(this, QStringLiteral("输入名字搜索并添加成员"), {20, 200, 450, 18}, 12);
    cancelBtn = new VeskButton(QStringLiteral("取消"), this);
    cancelBtn->setGeometry(290, 220, 80, 28);
    confirmBtn = new VeskButton(QStringLiteral("确定"), this);
    confirmBtn->setGeometry(390, 220, 80, 28);
    for (VeskButton *b : {cancelBtn.data(), confirmBtn.data()}) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setFont(vesk::systemFont(14));
    }
    KVTextField *entry = collectionView->inputTextField();
    entry->setPlaceholderText(QStringLiteral("请输入名字"));
    entry->setAccessibleName(QStringLiteral("请输入名字"));
    connect(entry, &QLineEdit::textChanged, this, [this](const QString &text) { searchMember(text); });
    entry->installEventFilter(this);
    collectionView->onDelete = [this](int index, const VeskUserModel &) { removeMember(index); };
    connect(collectionView->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { boundsDidChangeNotification(); });
    connect(permissionBtn1, &QAbstractButton::clicked, this, [this] { permissionBtn1Action(); });
    connect(permissionBtn2, &QAbstractButton::clicked, this, [this] { permissionBtn2Action(); });
    connect(cancelBtn, &QAbstractButton::clicked, this, [this] { cancelBtnAction(); });
    connect(confirmBtn, &QAbstractButton::clicked, this, [this] { confirmBtnAction(); });
    setStatus(1);
    applyLook();
}

FileSharePermissionSettingView::~FileSharePermissionSettingView()
{
    delete memberSelectView;
}

void FileSharePermissionSettingView::setDarkMode(bool dark)
{
    m_darkMode = dark;
    applyLook();
}

void FileSharePermissionSettingView::applyLook()
{
    VeskLayer *layer = VeskLayer::of(this);
    layer->setCornerRadius(8);
    layer->setBorderWidth(1);
    layer->setBorderColor(hex("979797"));
    layer->setBackgroundColor(m_darkMode ? hex("3D3E44") : QColor(Qt::white));
    const QString soft = m_darkMode ? QStringLiteral("#B4B4B4") : QStringLiteral("#666666");
    const QString strong = m_darkMode ? QStringLiteral("#FFFFFF") : QStringLiteral("#333333");
    for (QLabel *l : {label1.data(), label4.data()})
        l->setStyleSheet(QStringLiteral("color: %1;").arg(soft));
    for (QLabel *l : {label2.data(), label3.data(), titleLabel.data()})
        l->setStyleSheet(QStringLiteral("color: %1;").arg(strong));
    memberBKView->setBorderColor(hex(m_darkMode ? "666565" : "D8DBE4"));
    // The search field's own colours are for a light background.
    KVTextField *entry = collectionView->inputTextField();
    entry->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(strong));
    QPalette hint = entry->palette();
    hint.setColor(QPalette::PlaceholderText, QColor(soft));
    entry->setPalette(hint);
    VeskLayer::of(cancelBtn)->setCornerRadius(3);
    VeskLayer::of(cancelBtn)->setBorderWidth(1);
    VeskLayer::of(cancelBtn)->setBorderColor(hex("007AFF"));
    cancelBtn->setTextColor(hex("007AFF"));
    VeskLayer::of(confirmBtn)->setCornerRadius(3);
    VeskLayer::of(confirmBtn)->setBackgroundColor(hex("007AFF"));
    confirmBtn->setTextColor(Qt::white);
    if (memberSelectView)
        memberSelectView->setMiniMode(true);
}

void FileSharePermissionSettingView::setModel(const FileShareModel &model)
{
    m_model = model;
    m_allowMembers.clear();
    m_searchMembers.clear();
    m_searchMemberKey.clear();
    ++m_load;
    collectionView->inputTextField()->blockSignals(true);
    collectionView->inputTextField()->clear();
    collectionView->inputTextField()->blockSignals(false);
    updateSearchMemberList(false);
    reloadChips();
    if (!m_darkMode) {
        const auto it = uploadFileAllowOpUserList.constFind(model.fileId);
        if (it != uploadFileAllowOpUserList.cend() && it->enableOperationFileStatus == 2) {
            setStatus(2);
            for (const VeskUserModel &user : it->enableUserList)
                if (!hasMember(user.userId))
                    m_allowMembers.append(user);
            queryHost();
        } else {
            setStatus(1);
        }
        return;
    }
    QPointer<FileSharePermissionSettingView> self(this);
    const quint64 load = m_load;
    const QString fileId = model.fileId;
    m_services->queryFileShareOPPermission(
        this, model.fileId, model.roomId, model.userId, [self, load, fileId](const KVMResponse &r) {
            if (!self || load != self->m_load || r.code != 0)
                return;
            QVariantMap entry;
            for (const QVariant &v : r.dataList())
                if (v.toMap().value(QStringLiteral("fileId")).toString() == fileId)
                    entry = v.toMap();
            if (entry.value(QStringLiteral("enableOperationFileStatus")).toInt() != 2) {
                self->setStatus(1);
                return;
            }
            self->setStatus(2);
            for (const QVariant &v : entry.value(QStringLiteral("enableUserList")).toList()) {
                const QVariantMap user = v.toMap();
                const QString id = user.value(QStringLiteral("userId")).toString();
                if (id.isEmpty() || self->hasMember(id))
                    continue;
                self->m_allowMembers.append(member(id, user.value(QStringLiteral("userName")).toString(), false));
            }
            self->queryHost();
        });
}

bool FileSharePermissionSettingView::hasMember(const QString &userId) const
{
    return std::any_of(m_allowMembers.cbegin(), m_allowMembers.cend(),
                       [&](const VeskUserModel &m) { return m.userId == userId; });
}

void FileSharePermissionSettingView::queryHost()
{
    if (!m_darkMode) {
        if (!hasMember(m_model.userId))
            m_allowMembers.prepend(member(m_model.userId, m_model.userName, true));
        updateSearchMemberList(false);
        reloadChips();
        return;
    }
    QPointer<FileSharePermissionSettingView> self(this);
    const quint64 load = m_load;
    m_services->queryMeetingMember(this, 1, m_model.roomId, [self, load](const KVMResponse &r) {
        if (!self || load != self->m_load)
            return;
        if (r.code == 0) {
            for (const QVariant &v : r.dataList()) {
                const QVariantMap host = v.toMap();
                const QString id = RXEncrypt::aes128ecbEncrypt(host.value(QStringLiteral("userId")).toString());
                auto it = std::find_if(self->m_allowMembers.begin(), self->m_allowMembers.end(),
                                       [&](const VeskUserModel &m) { return m.userId == id; });
                if (it != self->m_allowMembers.end())
                    it->isAssistantHostOrHost = true;
                else
                    self->m_allowMembers.prepend(member(id, host.value(QStringLiteral("userName")).toString(), true));
            }
        }
        // Whatever the answer, the uploader is on the list.
        if (!self->hasMember(self->m_model.userId))
            self->m_allowMembers.prepend(member(self->m_model.userId, self->m_model.userName, false));
        self->updateSearchMemberList(false);
        self->reloadChips();
    });
}

bool FileSharePermissionSettingView::canRemove(const VeskUserModel &member) const
{
    const QString plain = RXEncrypt::aes128ecbDecrypt(member.userId);
    if (!m_services->roomCreatorId().isEmpty() && plain == RXEncrypt::aes128ecbDecrypt(m_services->roomCreatorId()))
        return false;
    return !m_services->asssitantRecordArray().contains(plain);
}

void FileSharePermissionSettingView::reloadChips()
{
    collectionView->reloadData(m_allowMembers);
    const QList<KVMeetingMemberCell *> chips = collectionView->chips();
    for (int i = 0; i < chips.size() && i < m_allowMembers.size(); ++i) {
        chips[i]->setMiniMode(true);
        chips[i]->setDarkMode(m_darkMode);
        chips[i]->setShowDelete(canRemove(m_allowMembers.at(i)));
    }
}

void FileSharePermissionSettingView::removeMember(int index)
{
    if (index < 0 || index >= m_allowMembers.size() || !canRemove(m_allowMembers.at(index)))
        return;
    m_allowMembers.removeAt(index);
    reloadChips();
    if (memberSelectView)
        memberSelectView->updateData();
}

void FileSharePermissionSettingView::setStatus(int status)
{
    permissionBtn1->setChecked(status == 1);
    permissionBtn2->setChecked(status == 2);
}

void FileSharePermissionSettingView::chooseFirst()
{
    setStatus(1);
}

void FileSharePermissionSettingView::chooseSecond()
{
    setStatus(2);
    queryHost();
}

void FileSharePermissionSettingView::permissionBtn1Action()
{
    chooseFirst();
}

void FileSharePermissionSettingView::permissionBtn2Action()
{
    chooseSecond();
}

void FileSharePermissionSettingView::searchMember(const QString &text)
{
    if (text == m_searchMemberKey)
        return;
    m_searchMemberKey = text;
    if (text.isEmpty()) {
        m_searchMembers.clear();
        updateSearchMemberList(false);
        return;
    }
    QPointer<FileSharePermissionSettingView> self(this);
    m_services->queryUserWithUserName(this, text, [self, text](const KVMResponse &r) {
        // An answer to an older text would show the wrong people.
        if (!self || self->m_searchMemberKey != text)
            return;
        self->m_searchMembers.clear();
        if (!r.successed) {
            self->updateSearchMemberList(false);
            return;
        }
        QList<VeskUserModel> found = r.data.canConvert<QList<VeskUserModel>>()
                                         ? r.data.value<QList<VeskUserModel>>()
                                         : jx_objectArrayWithKeyValuesArray<VeskUserModel>(r.data);
        for (VeskUserModel &user : found)
            user.userName = user.userName.left(kMaxNameLength);
        self->m_searchMembers = found;
        self->updateSearchMemberList(true);
    });
}

void FileSharePermissionSettingView::updateSearchMemberList(bool show)
{
    // A drop-down reaches past the pop-over's bottom edge: it lives on the pop-over's parent.
    QWidget *host = parentWidget() ? parentWidget() : this;
    if (!memberSelectView) {
        if (!show)
            return;
        memberSelectView = new KVMemberSelectView(host);
        memberSelectView->setMiniMode(true);
        memberSelectView->onItemClick = [this](const VeskUserModel &, bool) { reloadChips(); };
        memberSelectView->installEventFilter(this);
    }
    memberSelectView->setMembers(m_searchMembers);
    memberSelectView->setSelectMembers(&m_allowMembers);
    const QRect field(memberBKView->mapTo(host, QPoint()), memberBKView->size());
    memberSelectView->setGeometry(field.left(), field.bottom() + 1 + 6, field.width(),
                                  memberSelectView->suitedHeight());
    memberSelectView->updateData();
    memberSelectView->setVisible(show);
    if (show)
        memberSelectView->raise();
}

void FileSharePermissionSettingView::boundsDidChangeNotification()
{
    delete memberSelectView;
}

void FileSharePermissionSettingView::confirmBtnAction()
{
    const int status = permissionBtn1->isChecked() ? 1 : 2;
    if (status == 2 && m_allowMembers.isEmpty()) {
        VeskMeetingToast::showNomalTip(window(), QStringLiteral("授权成员不能为空"));
        return;
    }
    QVariantList users;
    if (status == 2)
        for (const VeskUserModel &m : std::as_const(m_allowMembers))
            users.append(QVariantMap{{QStringLiteral("userId"), m.userId}, {QStringLiteral("userName"), m.userName}});
    const QList<VeskUserModel> chosen = m_allowMembers;
    if (!m_darkMode) {
        if (updateSelectMembersBlock)
            updateSelectMembersBlock(m_model, status, chosen);
        removeAction();
        return;
    }
    QPointer<FileSharePermissionSettingView> self(this);
    m_services->fileShareOPPermission(this, m_model.fileId, m_services->joinedRoomId(), m_model.userId,
                                      m_model.fileType, status, users, [self, status, chosen](const KVMResponse &r) {
                                          if (!self)
                                              return;
                                          if (r.code != 0) {
                                              VeskMeetingToast::showNomalTip(self->window(),
                                                                             QStringLiteral("授权失败"));
                                              return;
                                          }
                                          self->m_model.enableOperationFileStatus = status;
                                          if (self->updateSelectMembersBlock)
                                              self->updateSelectMembersBlock(self->m_model, status, chosen);
                                          self->removeAction();
                                      });
}

void FileSharePermissionSettingView::cancelBtnAction()
{
    removeAction();
}

void FileSharePermissionSettingView::removeAction()
{
    // The picker keeps the pop-over for the next opening; closing hides it.
    QWidget *focus = QApplication::focusWidget();
    const bool hadFocus =
        isAncestorOf(focus) || hasFocus() || (memberSelectView && memberSelectView->isAncestorOf(focus));
    delete memberSelectView;
    hide();
    // The row's switch says whether its pop-over is open.
    if (auto *toggle = qobject_cast<VeskButton *>(opener.data()))
        toggle->setState(0);
    if (opener && opener->isVisible() && hadFocus)
        opener->setFocus(Qt::OtherFocusReason);
    else if (QWidget *owner = parentWidget())
        owner->setFocus(Qt::OtherFocusReason);
}

void FileSharePermissionSettingView::mousePressEvent(QMouseEvent *event)
{
    // A click on the pop-over's own background closes the drop-down and clears the entry.
    if (memberSelectView) {
        delete memberSelectView;
        collectionView->inputTextField()->clear();
    }
    event->accept();
}

void FileSharePermissionSettingView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (memberSelectView && memberSelectView->isVisible())
            closeSearchList();
        else
            cancelBtnAction();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FileSharePermissionSettingView::closeSearchList()
{
    // Focus on a name found goes back to the search field, not out of the pop-over.
    const bool inside = memberSelectView && memberSelectView->isAncestorOf(window()->focusWidget());
    delete memberSelectView;
    if (inside)
        collectionView->inputTextField()->setFocus(Qt::OtherFocusReason);
}

void FileSharePermissionSettingView::hideEvent(QHideEvent *event)
{
    // Hidden in any way, it takes its drop-down along.
    delete memberSelectView;
    QWidget::hideEvent(event);
}

bool FileSharePermissionSettingView::eventFilter(QObject *watched, QEvent *event)
{
    // Escape from a name found (the drop-down is not a child of the pop-over).
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
        memberSelectView && watched == memberSelectView.data()) {
        closeSearchList();
        return true;
    }
    // Down from the search field goes to the first name found.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down &&
        watched == collectionView->inputTextField() && memberSelectView && memberSelectView->isVisible() &&
        !memberSelectView->rows().isEmpty()) {
        memberSelectView->rows().constFirst()->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
