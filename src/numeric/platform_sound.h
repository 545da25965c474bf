#pragma once

namespace vexmar {

/// Plays the program's click sound; the application installs one, the core only asks for it.
class ClickSoundPlayer {
public:
  virtual ~ClickSoundPlayer() = default;
  /// Starts the click sound and returns at once.
  virtual void playClickSound() = 0;
};

/// Installs the process-wide player (not owned; null removes it). The caller keeps it alive.
void setClickSoundPlayer(ClickSoundPlayer* player);
[[nodiscard]] ClickSoundPlayer* clickSoundPlayer();

/// Plays the click sound through the installed player; does nothing when none is installed.
void playClickSound();

} // namespace vexmar
