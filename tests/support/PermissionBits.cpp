#include "PermissionBits.h"

#include <QtGlobal>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

struct Capabilities {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
};

bool readCapabilities(Capabilities &caps)
{
    return syscall(SYS_capget, &caps.header, caps.data) == 0;
}

bool writeCapabilities(Capabilities &caps)
{
    return syscall(SYS_capset, &caps.header, caps.data) == 0;
}

constexpr unsigned kFileOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

} // namespace

PermissionBitsApply::PermissionBitsApply()
{
    Capabilities caps;
    if (!readCapabilities(caps)) {
        m_ok = false;
        qWarning("cannot read the thread's capabilities");
        return;
    }
    m_savedEffective[0] = caps.data[0].effective;
    m_savedEffective[1] = caps.data[1].effective;
    if ((caps.data[0].effective & kFileOverrides) == 0) {
        return;
    }
    caps.data[0].effective &= ~kFileOverrides;
    m_ok = m_dropped = writeCapabilities(caps);
    if (!m_ok) {
        qWarning("cannot drop the capabilities that override file permissions");
    }
}

PermissionBitsApply::~PermissionBitsApply()
{
    if (!m_dropped) {
        return;
    }
    Capabilities caps;
    if (!readCapabilities(caps)) {
        return;
    }
    caps.data[0].effective = m_savedEffective[0];
    caps.data[1].effective = m_savedEffective[1];
    if (!writeCapabilities(caps)) {
        qWarning("cannot take the file capabilities back");
    }
}
