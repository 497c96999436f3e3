#include "profileslogging.h"

Q_LOGGING_CATEGORY(lcProfiles, "velorax.profiles")
