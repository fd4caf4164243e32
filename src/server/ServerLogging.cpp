#include "ServerLogging.h"

Q_LOGGING_CATEGORY(lcServer, "pagiscopo.server", QtInfoMsg)
