// The model library reaching up into the editor: must not compile.
#include "editor/Canvas.h"
