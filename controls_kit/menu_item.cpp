#include "menu_item.h"
