#pragma once

#include <functional>

class MainSettingModel;

// How the settings window changes a running meeting: the meeting window makes one per opening
// and fills the blocks it reacts to; the settings window only calls them, with the one settings
// model, after the user changed something.
struct KVSettingInteraction {
    using Block = std::function<void(MainSettingModel *model)>;

    Block onShowCurrentSpeaker;
    Block onVideoMirror;
    Block onVideoFill;
    Block onVideoDeviceChanged;
    Block onSubTitleFontNumer;
    Block onSubTitleLanguage;
    Block onInputLanguage;
    Block onMicphoneDeviceChanged;
    Block onSpeakerDeviceChanged;
};
