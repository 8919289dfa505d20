#pragma once
// The runtime classes in one include.
#include "rtl/Collection.h"
#include "rtl/Component.h"
#include "rtl/Lists.h"
#include "rtl/Persistent.h"
#include "rtl/Stream.h"
#include "rtl/StringList.h"
#include "rtl/Thread.h"
