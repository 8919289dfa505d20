#pragma once
// The runtime routines in one include.
#include "rtl/Arithmetic.h"
#include "rtl/Conversion.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/Files.h"
#include "rtl/Text.h"
