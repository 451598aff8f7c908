#include "sound/effectplayer.h"
#include "sound/soundmodule.h"

#include <QObject>

namespace velmora {

// The module's entry: the game finds it through Qt's plugin loader, which
// checks the module was built for this Qt before running any of its code.
class EffectModule : public QObject, public SoundModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VELMORA_SOUND_MODULE_IID)
    Q_INTERFACES(velmora::SoundModule)
public:
    std::unique_ptr<SoundPlayer> createPlayer() override
    {
        return std::make_unique<EffectPlayer>();
    }
};

} // namespace velmora

#include "effectmodule.moc"
