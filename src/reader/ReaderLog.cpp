#include "reader/ReaderLog.h"

Q_LOGGING_CATEGORY(lcReader, "pagiscopo.reader", QtInfoMsg)
