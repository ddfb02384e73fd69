#include "meeting/sharing/ShareTrackDesktop.h"

namespace {

// Until the platform capture knows windows, none is known: a window share cannot be ringed.
class NoWindowsDesktop final : public ShareTrackDesktop {
public:
    [[nodiscard]] std::optional<QRect> windowBounds(qint64) const override { return std::nullopt; }
    void raiseOwner(qint64) override {}
    void stackAbove(QWidget *, qint64) override {}
};

std::shared_ptr<ShareTrackDesktop> &installed()
{
    static std::shared_ptr<ShareTrackDesktop> desktop;
    return desktop;
}

} // namespace

std::shared_ptr<ShareTrackDesktop> ShareTrackDesktop::current()
{
    if (!installed())
        installed() = std::make_shared<NoWindowsDesktop>();
    return installed();
}

void ShareTrackDesktop::setCurrent(std::shared_ptr<ShareTrackDesktop> desktop)
{
    installed() = std::move(desktop);
}
