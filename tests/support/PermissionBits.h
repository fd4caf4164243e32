#pragma once

// Makes the permission bits of files and folders count for the calling thread while it lives,
// also when the tests run as root: the thread gives up the capabilities that let root read and
// write past them, and takes them back at the end. For a user other than root it changes nothing.
class PermissionBitsApply
{
public:
    PermissionBitsApply();
    ~PermissionBitsApply();
    PermissionBitsApply(const PermissionBitsApply &) = delete;
    PermissionBitsApply &operator=(const PermissionBitsApply &) = delete;

    // False when the capabilities could not be dropped (the bits may then not count).
    bool ok() const { return m_ok; }

private:
    unsigned m_savedEffective[2] = {0, 0};
    bool m_dropped = false;
    bool m_ok = true;
};
