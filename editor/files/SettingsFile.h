#pragma once

#include <QStringList>

#include <functional>

class CSettingsStore;
class QWidget;

// Writes the settings file as a whole with the given sections, which fill
// puts into a store. When it cannot be written the user is told why and
// may try again; at close the other answers are to close anyway or to
// cancel the close (also Escape), otherwise to keep editing (the settings
// are written again at the next change). False only when a close is
// cancelled.
bool WriteSettings(QWidget &parent, const std::function<void(CSettingsStore &)> &fill,
                   const QStringList &sections, bool closing);
