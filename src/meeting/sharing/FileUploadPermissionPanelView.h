#pragma once

// The drop-down under the share picker's upload-permission control: who may upload files for
// the meeting, the host only (1) or everybody (2). In a meeting (dark) the value is the joined
// room's; in the scheduled meeting's file window (light) it is the panel's own. A change goes
// to the service at once either way.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class ShareFileServices;
class VeskButton;

class FileUploadPermissionPanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{166, 72};

    explicit FileUploadPermissionPanelView(QWidget *parent = nullptr,
                                           std::shared_ptr<ShareFileServices> services = nullptr);
    ~FileUploadPermissionPanelView() override;

    QString roomId;
    // 1 or 2; 0 when none (in a meeting).
    int uploadPermissionType = 0;
    void setDarkMode(bool dark);
    [[nodiscard]] bool darkMode() const { return m_darkMode; }
    // The title without its spaces, and the value.
    std::function<void(const QString &title, int type)> fileUploadPermissionBlock;
    [[nodiscard]] bool isShow() const { return !isHidden(); }

    void show();
    void close();
    void refreshUI();
    void refreshUIInter();
    void hostPermissionAction();
    void allPermissionAction();
    void roomUploadPermissionTypeChange();

    QPointer<VeskButton> hostPermissionButton;
    QPointer<VeskButton> allPermissionButton;
    QPointer<QLabel> hostPermissionImageView;
    QPointer<QLabel> allPermissionImageView;
    QPointer<QWidget> bkView1;
    QPointer<QWidget> bkView2;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(VeskButton *clicked, VeskButton *other, int value);

    std::shared_ptr<ShareFileServices> m_services;
    bool m_darkMode = false;
};
