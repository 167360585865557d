#pragma once

#include <QStringList>

#include <functional>

class CSettingsStore;
class QWidget;

// Writes the settings file as a whole with the given sections, which fill
// puts into a store. When it cannot be written the user is told why and
// may try again; at close the other answer is to close anyway, otherwise to
// keep editing (the settings are written again at the next change). False
// when the file was not written.
bool WriteSettings(QWidget &parent, const std::function<void(CSettingsStore &)> &fill,
                   const QStringList &sections, bool closing);
