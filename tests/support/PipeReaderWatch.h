#pragma once

// Whether code under test sat waiting to open a named pipe for reading: a writer can open a
// pipe without waiting only while a reader waits in its open, so the watch tries that
// every few milliseconds, lets such a reader go at once (it reads the end of the pipe) and
// remembers it. Code that leaves pipes alone never meets the writer.
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

class PipeReaderWatch {
public:
    explicit PipeReaderWatch(const std::string& path)
        : m_thread([this, path] {
              while (!m_stop) {
                  int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0 && close(fd) == 0)
                      m_readerWaited = true;
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    ~PipeReaderWatch() { Stop(); }
    // Ends the watch; true when a reader had to be let go.
    bool ReaderWaited() {
        Stop();
        return m_readerWaited;
    }

private:
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::atomic<bool> m_stop{false}, m_readerWaited{false};
    std::thread m_thread;
};
