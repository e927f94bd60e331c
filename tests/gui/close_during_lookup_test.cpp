// Closing the window while a probe waits for a name server that never
// answers: the window goes at once and the close does not wait for the
// lookup to give up.
#include "MainWindowFixture.h"
#include "VerificationRun.h"

#include <QElapsedTimer>
#include <QEvent>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A mount and network namespace of this test program's own: in it
// /etc/resolv.conf can be replaced without touching the machine's, and port
// 53 on the loopback is free. Made before main(), while the process still
// has one thread, since a process with several may not leave its mount
// namespace. Gives why it could not be made, or nothing.
std::string enterPrivateNamespaces()
{
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0)
        return std::string("unshare: ") + std::strerror(errno);
    // Our bind mount must never show through to the machine's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("making mounts private: ") + std::strerror(errno);
    // A new network namespace starts with its loopback down.
    const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    const bool up = control >= 0 && ::ioctl(control, SIOCGIFFLAGS, &loopback) == 0 &&
                    (loopback.ifr_flags |= IFF_UP, ::ioctl(control, SIOCSIFFLAGS, &loopback) == 0);
    const int error = errno;
    if (control >= 0)
        ::close(control);
    return up ? std::string() : std::string("loopback up: ") + std::strerror(error);
}

const std::string NamespaceFailure = enterPrivateNamespaces();

// A name server on 127.0.0.1:53 that takes every query and answers none.
class SilentNameServer final
{
public:
    SilentNameServer() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound_ = fd_ >= 0 &&
                 ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~SilentNameServer()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool bound() const { return bound_; }
    // True once a query has come in: a lookup is then surely pending.
    bool queried(int boundMs) const
    {
        pollfd ready{fd_, POLLIN, 0};
        return ::poll(&ready, 1, boundMs) == 1;
    }

private:
    int fd_;
    bool bound_ = false;
};

// /etc/resolv.conf replaced, in this namespace only, for the test's lifetime.
class ResolverConfig final
{
public:
    explicit ResolverConfig(const std::filesystem::path& replacement)
        : mounted_(::mount(replacement.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0)
    {
    }
    ~ResolverConfig()
    {
        if (mounted_)
            ::umount2("/etc/resolv.conf", MNT_DETACH);
    }
    ResolverConfig(const ResolverConfig&) = delete;
    ResolverConfig& operator=(const ResolverConfig&) = delete;

    bool mounted() const { return mounted_; }

private:
    bool mounted_;
};

// How many runs were still there when the window hid: hiding comes first,
// so the window is gone while they are being stopped.
class RunsAtHide final : public QObject
{
public:
    int runs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && runs < 0)
            runs = int(watched->findChildren<VerificationRun*>().size());
        return false;
    }
};

class CloseDuringLookupTest : public MainWindowFixture
{
};

} // namespace

TEST_F(CloseDuringLookupTest, ClosingDuringANameLookupThatNeverEndsHidesAndReturnsAtOnce)
{
    if (!NamespaceFailure.empty())
        GTEST_SKIP() << "no private namespace for a silent name server (" << NamespaceFailure
                     << "); this test needs root";
    const SilentNameServer server;
    ASSERT_TRUE(server.bound()) << std::strerror(errno);
    // The lookup alone would take a minute or more: two attempts of 30 s each.
    const auto conf = home.write("resolv.conf", "nameserver 127.0.0.1\n"
                                                "options timeout:30 attempts:2\n");
    const ResolverConfig resolver(conf);
    ASSERT_TRUE(resolver.mounted()) << std::strerror(errno);
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTPS_PROXY", "ALL_PROXY"})
        qunsetenv(name);
    addLink("Silent.url", "http://never.answers.test/");

    TForm1& form = makeForm();
    form.show();
    form.mnVerifyLinksClick();
    ASSERT_TRUE(server.queried(20000)) << "the probe never asked the name server";

    RunsAtHide atHide;
    form.installEventFilter(&atHide);
    QElapsedTimer closing;
    closing.start();
    form.close();
    const qint64 elapsedMs = closing.elapsed();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(atHide.runs, 1);
    EXPECT_EQ(form.VerifyThread, nullptr);
    EXPECT_TRUE(form.findChildren<VerificationRun*>().isEmpty());
    EXPECT_LT(elapsedMs, 2000);
}
