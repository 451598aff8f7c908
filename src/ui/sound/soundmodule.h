#pragma once

#include "sound/soundplayer.h"

#include <QtPlugin>

#include <memory>

namespace velmora {

// What the sound module offers the game: players that make the sounds heard.
// The module carries the audio libraries and the sounds themselves, so that
// the window's start maps none of them; the game loads it at the first sound.
class SoundModule
{
public:
    virtual ~SoundModule() = default;
    virtual std::unique_ptr<SoundPlayer> createPlayer() = 0;
};

} // namespace velmora

// The version in the name changes with the interface: a module left over
// from an older build is then refused rather than called wrongly.
#define VELMORA_SOUND_MODULE_IID "example.pelox8.velmora.SoundModule/1"
Q_DECLARE_INTERFACE(velmora::SoundModule, VELMORA_SOUND_MODULE_IID)
