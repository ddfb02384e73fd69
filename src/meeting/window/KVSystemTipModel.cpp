#include "meeting/window/KVSystemTipModel.h"

namespace SystemTipRules {

namespace {

bool withinBadNetworkInterval(const KVSystemTipModel &model, double now)
{
    return model.lastBadNetworkTime && now - *model.lastBadNetworkTime < kBadNetworkInterval;
}

} // namespace

bool admit(int style, KVSystemTipModel &model, const Context &context)
{
    switch (style) {
    case HighCpu:
        if (context.tipShown || context.notRemindHighCpuAgain || model.hasCpuWarning)
            return false;
        model.hasCpuWarning = true;
        return true;
    case PoorNetwork:
        if (context.tipShown || context.noloogerShowNetWorkPopView || withinBadNetworkInterval(model, context.now))
            return false;
        model.lastBadNetworkTime = context.now;
        return true;
    case OnlyAudio:
        if (model.notRemindOnlyAudioWarning || withinBadNetworkInterval(model, context.now))
            return false;
        model.lastBadNetworkTime = context.now;
        return true;
    case LowBattery:
        if (context.tipShown || model.hasBatteryWarning)
            return false;
        model.hasBatteryWarning = true;
        return true;
    default:
        return false;
    }
}

} // namespace SystemTipRules
