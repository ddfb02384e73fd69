#pragma once

// The pop-over in which a file's uploader decides who may operate the file while it is shared:
// the sharer and the hosts (1), or the members of a list edited here (2). In a meeting (dark)
// the value is read from and sent to the service; in the scheduled meeting's file window
// (light) it lives in the meeting being edited and is only reported.

#include "agent/models/FileShareModel.h"
#include "foundation/models/MeetingFileAllowOpUserList.h"
#include "foundation/models/VeskUserModel.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class KVMemberEnterCollectionView;
class KVMemberSelectView;
class MacBorderView;
class QLabel;
class QRadioButton;
class ShareFileServices;
class VeskButton;

class FileSharePermissionSettingView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{490, 259};
    // Member names from the service, cut where they enter the chips.
    static constexpr int kMaxNameLength = 64;

    explicit FileSharePermissionSettingView(QWidget *parent = nullptr,
                                            std::shared_ptr<ShareFileServices> services = nullptr);
    ~FileSharePermissionSettingView() override;

    void setDarkMode(bool dark);
    [[nodiscard]] bool darkMode() const { return m_darkMode; }
    // Form mode: the rights chosen so far for the meeting being edited (set before setModel).
    QMap<QString, MeetingFileAllowOpUserList> uploadFileAllowOpUserList;
    std::function<void(const FileShareModel &model, int status, const QList<VeskUserModel> &members)>
        updateSelectMembersBlock;
    // Where the focus goes back when the pop-over closes (its owner when none).
    QPointer<QWidget> opener;

    // Loads the file's rights; rebuilds the list from scratch.
    void setModel(const FileShareModel &model);
    [[nodiscard]] const FileShareModel &model() const { return m_model; }
    [[nodiscard]] const QList<VeskUserModel> &allowMembers() const { return m_allowMembers; }
    [[nodiscard]] const QList<VeskUserModel> &searchMembers() const { return m_searchMembers; }
    [[nodiscard]] const QString &searchMemberKey() const { return m_searchMemberKey; }

    void permissionBtn1Action();
    void permissionBtn2Action();
    void confirmBtnAction();
    void cancelBtnAction();
    void removeAction();
    void searchMember(const QString &text);
    void updateSearchMemberList(bool show);
    void queryHost();
    void boundsDidChangeNotification();
    // A chip's delete button.
    void removeMember(int index);
    // Whether a member's chip may be removed (not the creator, not an assistant host).
    [[nodiscard]] bool canRemove(const VeskUserModel &member) const;

    QPointer<QLabel> titleLabel, label1, label2, label3, label4;
    QPointer<QRadioButton> permissionBtn1, permissionBtn2;
    QPointer<VeskButton> cancelBtn, confirmBtn;
    QPointer<MacBorderView> memberBKView;
    QPointer<KVMemberEnterCollectionView> collectionView;
    QPointer<KVMemberSelectView> memberSelectView;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void closeSearchList();
    void applyLook();
    void reloadChips();
    void chooseSecond();
    void chooseFirst();
    void setStatus(int status);
    [[nodiscard]] bool hasMember(const QString &userId) const;

    std::shared_ptr<ShareFileServices> m_services;
    bool m_darkMode = false;
    FileShareModel m_model;
    QList<VeskUserModel> m_allowMembers;
    QList<VeskUserModel> m_searchMembers;
    QString m_searchMemberKey;
    quint64 m_load = 0; // a reply of an earlier opening is dropped
};
