#pragma once
// Short event sounds through the desktop's sound service.

#include <QString>

// Starts playing a sound file and returns at once. Any failure (no sound
// service, a missing or unreadable file) is silent. Any thread.
void PlaySoundFileAsync(const QString& path);

// The desktop's alert sound ("bell"), as for a refused key. Silent where there
// is no sound service. Any thread.
void PlayAlertSound();
