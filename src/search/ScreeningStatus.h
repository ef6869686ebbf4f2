#pragma once

#include "shared/Rgb.h"

#include <QString>

// The status a person's screening gives, read from the marks the searches left on their row: what the manifest
// shows and the batch tool prints.
namespace ScreeningStatus {

inline constexpr auto NoFly = "NO FLY";
inline constexpr auto Selectee = "SSSS";
inline constexpr auto Cleared = "CLEARED";

// Red text wins over a yellow background; everything else, searched or not, is cleared.
QString fromMarks(Rgb foreColor, Rgb backColor);

} // namespace ScreeningStatus
