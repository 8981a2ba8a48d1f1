#pragma once
// The location diagram. It lives with the set-up dialog, its only user (that
// folder may not depend on this one); the measurement screen knows it by the
// name CShowPic.

#include "clocationpic.h"

using CShowPic = CLocationPic;
