// Compiled with the include folders of the controls library: the browsing data
// lies above the controls, so this include must not compile.
#include "data/QV_DataHolder.h"

int LayeringRefusedProbe() { return 0; }
