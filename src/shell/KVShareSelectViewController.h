#pragma once

// The window in which the owner of a scheduled meeting uploads its files before it starts: the
// share picker in its file-only, light form. Closing it tells the opener through didClose.

#include "uikit/MacBaseViewController.h"

#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>

class ShareSelectPanel;
struct MeetingDataModel;

class KVShareSelectViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    static constexpr QSize kMaxSize{888, 500};

    explicit KVShareSelectViewController(QObject *parent = nullptr);
    ~KVShareSelectViewController() override;

    // The available screen area less 200 x 100, at most 888 x 500; empty without a screen.
    [[nodiscard]] static QSize contentSizeFor(const QSize &available);

    void setModel(std::shared_ptr<MeetingDataModel> model);
    [[nodiscard]] std::shared_ptr<MeetingDataModel> model() const { return m_model; }
    std::function<void(KVShareSelectViewController *controller)> didClose;
    [[nodiscard]] ShareSelectPanel *shareSelectPanel();

    bool windowShouldClose() override;
    // The primary screen's available area changed.
    void screenParametersDidChange();

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    std::shared_ptr<MeetingDataModel> m_model;
    QPointer<ShareSelectPanel> m_panel;
    bool m_closed = false;
};
