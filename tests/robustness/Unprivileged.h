#pragma once

#include <sys/types.h>
#include <unistd.h>

// While it lives, files are opened with the rights of an ordinary user
// (nobody), so that folder and file permissions hold even when the tests run
// as root, as they do in CI. Does nothing for a process that is not root.
class CUnprivileged
{
public:
    static constexpr uid_t Nobody = 65534;

    CUnprivileged()
    {
        if (geteuid() != 0)
            return;
        if (setegid(Nobody) != 0)
            return;
        if (seteuid(Nobody) != 0) {
            RestoreGroup();
            return;
        }
        m_dropped = true;
    }
    ~CUnprivileged()
    {
        if (!m_dropped)
            return;
        if (seteuid(0) == 0)
            RestoreGroup();
    }
    CUnprivileged(const CUnprivileged &) = delete;
    CUnprivileged &operator=(const CUnprivileged &) = delete;

    // Whether permissions are enforced now: dropped to nobody, or never root.
    bool Enforced() const { return m_dropped || geteuid() != 0; }

private:
    static void RestoreGroup()
    {
        [[maybe_unused]] const int ignored = setegid(0);
    }

    bool m_dropped = false;
};
