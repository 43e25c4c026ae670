// A player file that escapes its titles itself: the layering check must
// refuse this include, which reaches up into the renderers.
#include "player/title_list.h"
#include "render/html_escape.h"
