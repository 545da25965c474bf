#include "numeric/platform_sound.h"

namespace vexmar {
namespace {

struct SoundState {
  ClickSoundPlayer* player = nullptr;
};

SoundState& soundState() {
  static SoundState state;
  return state;
}

} // namespace

void setClickSoundPlayer(ClickSoundPlayer* player) { soundState().player = player; }

ClickSoundPlayer* clickSoundPlayer() { return soundState().player; }

void playClickSound() {
  if (ClickSoundPlayer* player = soundState().player) player->playClickSound();
}

} // namespace vexmar
