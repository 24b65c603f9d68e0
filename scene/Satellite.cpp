// Satellite construction: the same effect members as the starship, built in the
// same order, so each satellite consumes the same twenty random draws.
#include "Satellite.h"

#include "platform/SettingsStore.h"

namespace orbit {

Satellite::Satellite(RandomGenerator& random, SettingsStore& settings)
    : effects(random, settings::shotSoundEnabled(settings))
{
}

} // namespace orbit
