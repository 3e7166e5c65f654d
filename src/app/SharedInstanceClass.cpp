#include "SharedInstanceClass.h"

SharedInstanceClass &SharedInstanceClass::sharedInstance() {
    // A function-local static is initialised exactly once, even when the
    // first calls race.
    static SharedInstanceClass instance;
    return instance;
}
