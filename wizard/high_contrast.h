#pragma once
// Whether the user has a high-contrast theme on. While one is, the wizard draws with the system's
// colours only: no background picture, no colours of its own.

bool HighContrastIsOn();
