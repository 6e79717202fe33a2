#include "platform/base/exceptions.h"
// The classes are header-only; this unit keeps their type information in the shared library so
// an exception thrown in one module is caught by type in another.
