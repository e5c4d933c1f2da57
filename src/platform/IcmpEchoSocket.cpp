#include "PlatformServices.h"

#include <QDeadlineTimer>

#ifdef Q_OS_WIN
// The order matters: winsock2.h before windows.h, and icmpapi.h last, since it uses the types of
// windows.h and iphlpapi.h without including them.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on
#include <vector>
#ifdef _MSC_VER
#pragma comment(lib, "iphlpapi.lib")
#pragma comment(lib, "ws2_32.lib")
#endif
#else
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// The address must be a numeric IPv4 address: the dialog collects four numbers, and a name would
// make the echo test send a name query into the network first.
bool resolve(const QString &host, quint32 &addressNetworkOrder, QString &error)
{
    const QByteArray text = host.toLatin1();
    if (host.isEmpty() || text.contains('\0')) {
        error = QStringLiteral("The address \"%1\" is not a valid host").arg(host);
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo *found = nullptr;
    if (getaddrinfo(text.constData(), nullptr, &hints, &found) != 0 || !found) {
        error = QStringLiteral("The address \"%1\" is not a valid host").arg(host);
        return false;
    }
    addressNetworkOrder = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

#ifdef Q_OS_WIN

class IcmpEchoSocket : public IcmpEcho
{
public:
    Reply echo(const QString &host, const QByteArray &data, int timeoutMs) override
    {
        Reply reply;
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
            reply.error = QStringLiteral("Windows sockets are not available");
            return reply;
        }
        quint32 address = 0;
        const bool resolved = resolve(host, address, reply.error);
        WSACleanup();
        if (!resolved)
            return reply;
        HANDLE handle = IcmpCreateFile();
        if (handle == INVALID_HANDLE_VALUE) {
            reply.error = QStringLiteral("The echo service is not available");
            return reply;
        }
        std::vector<char> buffer(sizeof(ICMP_ECHO_REPLY) + size_t(data.size()) + 8 + 1024);
        QByteArray payload = data;
        const DWORD count = IcmpSendEcho(handle, address, payload.data(), WORD(payload.size()), nullptr, buffer.data(),
                                         DWORD(buffer.size()), DWORD(timeoutMs));
        IcmpCloseHandle(handle);
        reply.sent = true;
        if (count > 0) {
            const auto *echoReply = reinterpret_cast<const ICMP_ECHO_REPLY *>(buffer.data());
            if (echoReply->Status == IP_SUCCESS && echoReply->Address == address &&
                QByteArray(static_cast<const char *>(echoReply->Data), echoReply->DataSize) == data)
                reply.bytesReceived = int(echoReply->DataSize) + 8;
        }
        return reply;
    }
};

#else

constexpr int IcmpHeaderSize = 8;
constexpr quint8 EchoRequest = 8;
constexpr quint8 EchoReply = 0;

quint16 internetChecksum(const QByteArray &bytes)
{
    quint32 sum = 0;
    const auto *p = reinterpret_cast<const quint8 *>(bytes.constData());
    const int n = int(bytes.size());
    for (int i = 0; i + 1 < n; i += 2)
        sum += quint32(p[i]) << 8 | p[i + 1];
    if (n % 2)
        sum += quint32(p[n - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

quint16 readBigEndian16(const char *p)
{
    return quint16(quint8(p[0]) << 8 | quint8(p[1]));
}

class SocketHandle
{
public:
    explicit SocketHandle(int fd)
        : m_fd(fd)
    {}
    ~SocketHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// One echo request per call. An unprivileged ICMP datagram socket is used where the system allows
// it (net.ipv4.ping_group_range); otherwise a raw socket, which needs the right to open one.
class IcmpEchoSocket : public IcmpEcho
{
public:
    Reply echo(const QString &host, const QByteArray &data, int timeoutMs) override
    {
        Reply reply;
        quint32 address = 0;
        if (!resolve(host, address, reply.error))
            return reply;

        bool datagram = true;
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd < 0) {
            datagram = false;
            fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        }
        if (fd < 0) {
            reply.error = QStringLiteral("No ICMP socket may be opened here: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return reply;
        }
        SocketHandle socket(fd);

        static std::atomic<quint16> nextSequence{1};
        const quint16 sequence = nextSequence++;
        quint16 identifier = quint16(::getpid() & 0xFFFF);

        QByteArray packet(IcmpHeaderSize, '\0');
        packet[0] = char(EchoRequest);
        packet[4] = char(identifier >> 8);
        packet[5] = char(identifier & 0xFF);
        packet[6] = char(sequence >> 8);
        packet[7] = char(sequence & 0xFF);
        packet += data;
        const quint16 sum = internetChecksum(packet);
        packet[2] = char(sum >> 8);
        packet[3] = char(sum & 0xFF);

        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = address;
        if (::sendto(fd, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<const sockaddr *>(&to),
                     sizeof to) != packet.size()) {
            reply.error = QStringLiteral("The echo request could not be sent: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return reply;
        }
        reply.sent = true;

        if (datagram) {
            // The kernel puts the socket's own identifier into the request and only hands this
            // socket the replies that carry it.
            sockaddr_in local{};
            socklen_t length = sizeof local;
            if (::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0)
                identifier = ntohs(local.sin_port);
        }

        QDeadlineTimer deadline(timeoutMs);
        char buffer[65536];
        for (;;) {
            const qint64 remaining = deadline.remainingTime();
            if (remaining <= 0)
                return reply;
            pollfd pfd{fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, int(remaining));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return reply;
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t received =
                ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
            if (received < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                return reply;
            }
            const int icmpBytes =
                matchReply(buffer, int(received), datagram, from, address, identifier, sequence, data);
            if (icmpBytes > 0) {
                reply.bytesReceived = icmpBytes;
                return reply;
            }
        }
    }

private:
    // Size of the ICMP message when the packet is the reply to this request, else 0. A raw socket
    // sees every ICMP packet of the machine (on the loopback also the request itself), so type,
    // sender, identifier, sequence and data are all checked.
    static int matchReply(const char *packet, int size, bool datagram, const sockaddr_in &from, quint32 address,
                          quint16 identifier, quint16 sequence, const QByteArray &data)
    {
        int offset = 0;
        if (!datagram) {
            if (size < 20)
                return 0;
            offset = (quint8(packet[0]) & 0x0F) * 4;
        }
        const int icmpSize = size - offset;
        if (icmpSize < IcmpHeaderSize)
            return 0;
        const char *icmp = packet + offset;
        if (quint8(icmp[0]) != EchoReply || icmp[1] != 0)
            return 0;
        if (from.sin_addr.s_addr != address)
            return 0;
        if (readBigEndian16(icmp + 4) != identifier || readBigEndian16(icmp + 6) != sequence)
            return 0;
        if (!datagram && internetChecksum(QByteArray(icmp, icmpSize)) != 0)
            return 0;
        if (QByteArray(icmp + IcmpHeaderSize, icmpSize - IcmpHeaderSize) != data)
            return 0;
        return icmpSize;
    }
};

#endif

} // namespace

std::unique_ptr<IcmpEcho> createIcmpEcho()
{
    return std::make_unique<IcmpEchoSocket>();
}
