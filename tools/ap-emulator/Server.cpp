#include "Server.h"

#include "platform/HexText.h"
#include "platform/MoveAll.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

struct Server::Connection {
    int fd = -1;
    bool control = false;
    bool opened = false;  // holds a sharing claim
    bool closing = false; // close once the output is flushed
    bool dead = false;
    uint32_t access = 0, share = 0;
    std::vector<uint8_t> in, out;
    bool delayed = false; // a request waits for its delay to pass
    int64_t dueMs = 0;
    RequestFrame pending;
    bool stalled = false;    // requests are left unread until the replies drain
    bool usesSpare = false;  // accepted on the descriptor held in reserve
    bool needsAuth = false;  // a TCP connection that has not yet sent the token
    bool inputEnded = false; // the client sent its last byte (only kept while it needs AUTH)
};

namespace {

int Listen(const std::string& path, std::string* error) {
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) {
        *error = "socket path too long: " + path;
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    // A socket file left by a crashed emulator is removed; a live one means another
    // emulator serves this name.
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe >= 0 && connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        close(probe);
        *error = "another emulator is serving " + path;
        return -1;
    }
    if (probe >= 0)
        close(probe);
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *error = path + " exists and is not a socket";
            return -1;
        }
        unlink(path.c_str());
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        chmod(path.c_str(), 0600) != 0 || listen(fd, 64) != 0) {
        *error = "cannot listen on " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

// The loopback transport: 127.0.0.1 only, never another address.
int ListenTcp(int port, int* bound, std::string* error) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int one = 1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(addr);
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one)) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        *error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    *bound = ntohs(addr.sin_port);
    return fd;
}

int OpenSpare() {
    return open("/dev/null", O_RDONLY | O_CLOEXEC);
}

bool Alive(int fd) {
    char byte;
    ssize_t n = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR));
}

bool Compatible(uint32_t openAccess, uint32_t openShare, uint32_t newAccess, uint32_t newShare) {
    auto allows = [](uint32_t share, uint32_t access) {
        if ((access & 0x80000000u) && !(share & 1))
            return false;
        if ((access & 0x40000000u) && !(share & 2))
            return false;
        return true;
    };
    return allows(openShare, newAccess) && allows(newShare, openAccess);
}

} // namespace

bool PrepareDeviceDir(const std::string& dir, std::string* error) {
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) {
        if (mkdir(dir.c_str(), 0700) != 0) {
            *error = "cannot create " + dir + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = dir + " is not a folder";
        return false;
    }
    if (st.st_uid != getuid()) {
        *error = dir + " belongs to another user";
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        *error = dir + " is writable by others";
        return false;
    }
    return true;
}

Server::Server(std::string deviceDir, std::string name, std::string statePath, int tcpPort,
               std::string tokenPath)
    : m_dir(std::move(deviceDir)), m_name(std::move(name)), m_statePath(std::move(statePath)),
      m_tokenPath(std::move(tokenPath)), m_tcpPort(tcpPort) {
    m_devicePath = m_dir + "/" + m_name;
    m_controlPath = m_devicePath + ".ctl";
    if (m_tokenPath.empty())
        m_tokenPath = m_devicePath + ".token";
}

Server::~Server() {
    for (auto& c : m_connections)
        close(c->fd);
    for (size_t i = 0; i < m_listeners.size(); ++i) {
        close(m_listeners[i].fd);
        if (i < 2)
            unlink(i == 0 ? m_devicePath.c_str() : m_controlPath.c_str());
    }
    if (m_spareFd >= 0)
        close(m_spareFd);
}

bool Server::LoadState(std::string* error) {
    struct stat st {};
    if (stat(m_statePath.c_str(), &st) != 0) {
        if (errno == ENOENT && SaveState())
            return true;
        *error = "cannot write state file " + m_statePath + ": " + std::strerror(errno);
        return false;
    }
    // Every change is saved here: a file this process may not write would leave each
    // change refused, so a read-only state file is refused at once, with its reason.
    if (!S_ISREG(st.st_mode)) {
        *error = "state file " + m_statePath + " is not a regular file";
        return false;
    }
    if ((st.st_mode & 0222) == 0 || access(m_statePath.c_str(), W_OK) != 0) {
        *error = "state file " + m_statePath +
                 " is read-only; make it writable or name another state file";
        return false;
    }
    m_stateMode = st.st_mode & 0777;
    // A state is a few kilobytes of text; a larger file is none.
    std::string text;
    if (wholefile::Read(m_statePath, 1u << 20, true, &text, nullptr) != wholefile::Got::kDone ||
        !m_model.Deserialize(text)) {
        *error = "state file " + m_statePath + " is not a valid emulator state";
        return false;
    }
    return true;
}

// A new token from the system's generator at every start, in a file only this user may
// read, replaced whole so that a client never reads half of it.
bool Server::WriteToken(std::string* error) {
    for (size_t got = 0; got < sizeof(m_token);) {
        ssize_t n = getrandom(m_token + got, sizeof(m_token) - got, 0);
        if (n < 0 && errno != EINTR) {
            *error = std::string("cannot draw a token: ") + std::strerror(errno);
            return false;
        }
        got += n > 0 ? static_cast<size_t>(n) : 0;
    }
    std::string reason;
    if (wholefile::Replace(m_tokenPath, HexText::Of(m_token, sizeof(m_token)) + "\n", {0600, true},
                           &reason) != wholefile::Replaced::kDone) {
        *error = "cannot write the token file " + m_tokenPath + ": " + reason;
        return false;
    }
    return true;
}

bool Server::Start(std::string* error) {
    if (!PrepareDeviceDir(m_dir, error) || !LoadState(error))
        return false;
    for (int i = 0; i < 2; ++i) {
        Listener l;
        l.control = i == 1;
        l.fd = Listen(l.control ? m_controlPath : m_devicePath, error);
        if (l.fd < 0)
            return false;
        m_listeners.push_back(l);
    }
    if (m_tcpPort >= 0) {
        if (!WriteToken(error))
            return false;
        Listener l;
        l.fd = ListenTcp(m_tcpPort, &m_tcpPort, error);
        if (l.fd < 0)
            return false;
        m_listeners.push_back(l);
    }
    m_spareFd = OpenSpare();
    return true;
}

bool Server::SaveState() {
    // The whole state or none of it: a crash or a full disk leaves the previous state.
    return wholefile::Replace(m_statePath, m_model.Serialize(), {m_stateMode, true}, nullptr) ==
           wholefile::Replaced::kDone;
}

void Server::Accept(Listener& listener) {
    for (;;) {
        int fd = accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        bool spare = false;
        if (fd < 0 && (errno == EMFILE || errno == ENFILE) && listener.control && m_spareFd >= 0) {
            close(m_spareFd);
            m_spareFd = -1;
            fd = accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            spare = fd >= 0;
            if (!spare)
                m_spareFd = OpenSpare();
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors: the waiting connection stays queued, and the listener
            // rests instead of waking this loop again at once; a connection that ends
            // wakes it sooner.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                listener.restUntilMs = devproto::NowMs() + kAcceptBackoffMs;
            return;
        }
        bool tcp = listener.fd != m_listeners[0].fd && !listener.control;
        if (tcp) {
            int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        }
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->needsAuth = tcp;
        c->control = listener.control;
        c->usesSpare = spare;
        m_spareLent = m_spareLent || spare;
        m_connections.push_back(std::move(c));
        if (spare)
            return;
    }
}

void Server::ReadInput(Connection& c) {
    uint8_t buf[8192];
    // Reads no further ahead than kMaxUnread: what a client sends beyond waits in the
    // system's buffers, and a client that never reads its replies is held back there.
    while (c.in.size() < kMaxUnread) {
        ssize_t n = recv(c.fd, buf, sizeof(buf), MSG_DONTWAIT);
        if (n > 0) {
            c.in.insert(c.in.end(), buf, buf + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // A client that ends in the middle of its AUTH is answered (and refused) first.
        if (n == 0 && c.needsAuth && !c.in.empty())
            c.inputEnded = true;
        else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            c.dead = true;
        return;
    }
}

void Server::Send(Connection& c, const std::vector<uint8_t>& bytes) {
    c.out.insert(c.out.end(), bytes.begin(), bytes.end());
}

void Server::SendStatus(Connection& c, uint32_t status) {
    uint8_t b[4];
    devproto::PutU32(b, status);
    Send(c, std::vector<uint8_t>(b, b + 4));
}

void Server::Flush(Connection& c) {
    int error = 0;
    size_t sent = 0;
    bool whole = moveall::MoveAll(
        c.out.size(),
        [&](size_t done) {
            ssize_t n =
                send(c.fd, c.out.data() + done, c.out.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            error = n < 0 ? errno : 0;
            return n;
        },
        &sent);
    c.out.erase(c.out.begin(), c.out.begin() + static_cast<std::ptrdiff_t>(sent));
    if (!whole) {
        // A full socket buffer leaves the rest for the next time the socket is writable.
        if (error != 0 && error != EAGAIN && error != EWOULDBLOCK)
            c.dead = true;
        return;
    }
    if (c.closing)
        c.dead = true;
}

bool Server::OpenConflicts(const Connection& c) {
    for (auto& other : m_connections) {
        if (other.get() == &c || other->control || !other->opened || other->dead)
            continue;
        if (Compatible(other->access, other->share, c.access, c.share))
            continue;
        // Before refusing, find out whether the holder is still there: it may have sent
        // CLOSE or died without one.
        ReadInput(*other);
        if (!other->dead)
            ProcessDevice(*other);
        if (!other->dead && !Alive(other->fd))
            other->dead = true;
        if (other->dead) {
            other->opened = false;
            continue;
        }
        if (other->opened)
            return true;
    }
    return false;
}

void Server::AnswerRequest(Connection& c, const RequestFrame& frame) {
    DeviceModel::Reply reply;
    DeviceModel::Config before = m_model.current;
    if (m_model.Answer(frame.code, frame.input, frame.outputLength, &reply) && !SaveState()) {
        m_model.current = before; // not durable: the write did not happen
        reply.status = 31;
        reply.data.clear();
        ++m_model.failed;
    }
    uint8_t header[8];
    devproto::PutU32(header, reply.status);
    devproto::PutU32(header + 4, static_cast<uint32_t>(reply.data.size()));
    Send(c, std::vector<uint8_t>(header, header + 8));
    Send(c, reply.data);
}

bool Server::Authenticate(Connection& c) {
    bool whole = c.in.size() >= devproto::kAuthFrameSize;
    bool isAuth = c.in.size() < 4 || devproto::GetU32(c.in.data()) == devproto::kMagicAuth;
    if (isAuth && !whole && !c.inputEnded)
        return false;
    // Anything but a whole AUTH with the token, an OPEN of a client without one included,
    // is refused, and nothing else is served on the connection.
    bool granted = isAuth && whole && devproto::SameToken(c.in.data() + 4, m_token);
    SendStatus(c, granted ? 0 : devproto::kStatusAccessDenied);
    if (granted) {
        c.in.erase(c.in.begin(), c.in.begin() + devproto::kAuthFrameSize);
        c.needsAuth = false;
    } else {
        c.in.clear();
        c.closing = true;
        ++m_model.denied;
    }
    return granted;
}

void Server::ProcessDevice(Connection& c) {
    if (c.needsAuth && !Authenticate(c))
        return;
    while (!c.dead && !c.closing) {
        if (c.out.size() >= kMaxUnsent) {
            c.stalled = true;
            return;
        }
        if (c.delayed) {
            if (devproto::NowMs() < c.dueMs)
                return;
            c.delayed = false;
            AnswerRequest(c, c.pending);
            continue;
        }
        RequestFrame frame;
        bool beforeOpen = !c.opened;
        FrameResult r = ParseFrame(c.in.data(), c.in.size(), beforeOpen, &frame);
        if (r == FrameResult::kNeedMore)
            return;
        if (r == FrameResult::kMalformed) {
            c.in.clear();
            uint8_t reply[8] = {};
            devproto::PutU32(reply, 87);
            Send(c, std::vector<uint8_t>(reply, reply + (beforeOpen ? 4 : 8)));
            ++m_model.failed;
            c.opened = false;
            c.closing = true;
            return;
        }
        c.in.erase(c.in.begin(), c.in.begin() + static_cast<long>(frame.consumed));
        if (beforeOpen) {
            uint32_t version = devproto::GetU32(frame.input.data());
            c.access = devproto::GetU32(frame.input.data() + 4);
            c.share = devproto::GetU32(frame.input.data() + 8);
            uint32_t status = 0;
            if (version != devproto::kVersion)
                status = 87;
            else if (m_model.absent)
                status = 2;
            else if (OpenConflicts(c))
                status = 32;
            SendStatus(c, status);
            if (status != 0) {
                c.closing = true;
                return;
            }
            c.opened = true;
            ++m_model.opens;
        } else if (frame.magic == devproto::kMagicClose) {
            c.opened = false;
            SendStatus(c, 0);
            c.closing = true;
        } else if (m_model.hang) {
            // never answered
        } else if (m_model.delayMs > 0) {
            c.delayed = true;
            c.dueMs = devproto::NowMs() + m_model.delayMs;
            c.pending = frame;
        } else {
            AnswerRequest(c, frame);
        }
    }
}

void Server::DropOpenHandles() {
    for (auto& c : m_connections)
        if (!c->control && c->opened) {
            c->opened = false;
            c->dead = true;
        }
}

void Server::ProcessControl(Connection& c) {
    while (!c.closing) {
        if (c.out.size() >= kMaxUnsent) {
            c.stalled = true;
            return;
        }
        auto nl = std::find(c.in.begin(), c.in.end(), '\n');
        if (nl == c.in.end()) {
            if (c.in.size() > 16384) {
                const char* msg = "error line too long\n";
                Send(c, std::vector<uint8_t>(msg, msg + std::strlen(msg)));
                c.closing = true;
            }
            return;
        }
        std::string line(c.in.begin(), nl);
        c.in.erase(c.in.begin(), nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        bool changed = false;
        bool wasAbsent = m_model.absent;
        DeviceModel::Config current = m_model.current;
        auto firmware = m_model.firmware;
        std::string answer = m_model.Control(line, &changed);
        if (changed && !SaveState()) {
            // Not durable: the change did not happen, as with a device write.
            m_model.current = current;
            m_model.firmware = firmware;
            answer = "error cannot save state";
        }
        if (m_model.absent && !wasAbsent)
            DropOpenHandles();
        answer += "\n";
        Send(c, std::vector<uint8_t>(answer.begin(), answer.end()));
    }
}

void Server::Process(Connection& c) {
    c.stalled = false;
    if (c.control)
        ProcessControl(c);
    else
        ProcessDevice(c);
}

void Server::Run(const volatile int* stopFlag) {
    while (!*stopFlag) {
        std::vector<pollfd> fds;
        std::vector<Listener*> polled;
        int timeout = 1000;
        int64_t now = devproto::NowMs();
        for (auto& l : m_listeners) {
            if (l.restUntilMs > now) {
                timeout = static_cast<int>(std::min<int64_t>(timeout, l.restUntilMs - now));
                continue;
            }
            fds.push_back({l.fd, POLLIN, 0});
            polled.push_back(&l);
        }
        size_t first = fds.size();
        for (auto& c : m_connections) {
            short events = 0;
            if (c->out.size() < kMaxUnsent && c->in.size() < kMaxUnread)
                events |= POLLIN;
            if (!c->out.empty())
                events |= POLLOUT;
            fds.push_back({c->fd, events, 0});
            if (c->delayed)
                timeout = static_cast<int>(
                    std::max<int64_t>(0, std::min<int64_t>(timeout, c->dueMs - now)));
            if (c->stalled && c->out.size() < kMaxUnsent)
                timeout = 0; // its replies drained: go on with its requests
        }
        int r = poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0) {
            for (size_t i = 0; i < first; ++i)
                if (fds[i].revents & POLLIN)
                    Accept(*polled[i]);
            for (size_t i = first; i < fds.size(); ++i)
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                    ReadInput(*m_connections[i - first]);
        }
        // Each connection in turn; new ones accepted above are read on the next round.
        for (size_t i = 0; i < m_connections.size(); ++i) {
            Connection& c = *m_connections[i];
            if (!c.dead)
                Process(c);
            Flush(c);
        }
        bool released = false;
        m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                           [&](const std::unique_ptr<Connection>& c) {
                                               if (!c->dead)
                                                   return false;
                                               close(c->fd);
                                               released = true;
                                               if (c->usesSpare)
                                                   m_spareLent = false;
                                               return true;
                                           }),
                            m_connections.end());
        // Descriptors that come back go to the spare first, then to the resting listeners.
        if (m_spareFd < 0 && !m_spareLent)
            m_spareFd = OpenSpare();
        if (released)
            for (auto& l : m_listeners)
                l.restUntilMs = 0;
    }
}
