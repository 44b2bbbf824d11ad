// PLACEHOLDER (H2): replaced by the feature's real code before it lands.
#include "settings.h"

OcularSettingsRecord OcularSettings;
OcularSettingsRecord SavedSettings;

void SettingsDefaults() {}
void SettingsLoad() {}
int SettingsSave() {
    return 1;
}
double PointSizeForView(int) {
    return 0;
}
void SetPointSizeForView(double, int) {}
