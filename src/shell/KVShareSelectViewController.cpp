#include "shell/KVShareSelectViewController.h"

#include "foundation/models/MeetingDataModel.h"
#include "meeting/sharing/ShareSelectPanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QSize primaryAvailable()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

} // namespace

KVShareSelectViewController::KVShareSelectViewController(QObject *parent) : MacBaseViewController(parent) {}

KVShareSelectViewController::~KVShareSelectViewController() = default;

QSize KVShareSelectViewController::contentSizeFor(const QSize &available)
{
    if (available.isEmpty())
        return {};
    return QSize(qBound(0, available.width() - 200, kMaxSize.width()),
                 qBound(0, available.height() - 100, kMaxSize.height()));
}

void KVShareSelectViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("KVShareSelect"));
    view->resize(contentSizeFor(primaryAvailable()));
    setView(view);
}

void KVShareSelectViewController::viewDidLoad()
{
    auto *box = new QVBoxLayout(view());
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(shareSelectPanel());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { screenParametersDidChange(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { screenParametersDidChange(); });
}

ShareSelectPanel *KVShareSelectViewController::shareSelectPanel()
{
    if (m_panel)
        return m_panel;
    m_panel = new ShareSelectPanel(view());
    m_panel->setDarkMode(false);
    m_panel->setOnlyShareFile(true);
    m_panel->setShareFile(true);
    QPointer<KVShareSelectViewController> self(this);
    m_panel->generalStartShareBlock = [self](const DesktopCaptureSnapshotModel &) {
        if (!self || !self->m_panel)
            return;
        self->m_panel->hide();
        self->m_panel->deleteLater();
        self->m_panel = nullptr;
    };
    m_panel->fileShareStartShareBlock = [](const FileShareDatailModel &) {};
    return m_panel;
}

void KVShareSelectViewController::setModel(std::shared_ptr<MeetingDataModel> model)
{
    m_model = std::move(model);
    view();
    if (ShareSelectPanel *panel = shareSelectPanel()) {
        panel->setModel(m_model);
        panel->reloadView();
    }
}

bool KVShareSelectViewController::windowShouldClose()
{
    // Asked once per close; a second ask (a repeated close) reports nothing new.
    if (!m_closed) {
        m_closed = true;
        if (didClose)
            didClose(this);
    }
    return true;
}

void KVShareSelectViewController::screenParametersDidChange()
{
    const QSize size = contentSizeFor(primaryAvailable());
    if (QWidget *w = window(); w && w != view())
        w->resize(size);
    else if (isViewLoaded())
        view()->resize(size);
}
