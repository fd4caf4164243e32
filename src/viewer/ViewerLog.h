#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcViewer)
Q_DECLARE_LOGGING_CATEGORY(lcDownload)
