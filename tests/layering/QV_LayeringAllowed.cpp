// Compiled with the include folders of the controls library: a folder below it.
#include "theme/QV_SkinBuffer.h"

int LayeringAllowedProbe() { return 0; }
