// Loaded into a program under test with LD_PRELOAD, it makes one system service fail, chosen by
// the environment variable YUZULOG_FAULT, so that a test can see how the program takes it:
//   thread     every new thread fails to start (EAGAIN), as when memory or threads run out
//   iconv      every character-set converter fails to open (ENOMEM)
//   new:BYTES  every operator new of BYTES or more throws std::bad_alloc
#include <dlfcn.h>
#include <iconv.h>
#include <pthread.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const char* Fault() {
  const char* f = std::getenv("YUZULOG_FAULT");
  return f ? f : "";
}

std::size_t FailingNewBytes() {
  static const std::size_t bytes = [] {
    const char* f = Fault();
    return std::strncmp(f, "new:", 4) == 0 ? std::strtoull(f + 4, nullptr, 10) : 0;
  }();
  return bytes;
}

void* Allocate(std::size_t size) {
  const std::size_t limit = FailingNewBytes();
  if (limit != 0 && size >= limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) {
  if (std::strcmp(Fault(), "thread") == 0) return EAGAIN;
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  return next(thread, attr, start, arg);
}

extern "C" iconv_t iconv_open(const char* to, const char* from) {
  if (std::strcmp(Fault(), "iconv") == 0) {
    errno = ENOMEM;
    return reinterpret_cast<iconv_t>(-1);
  }
  using Open = iconv_t (*)(const char*, const char*);
  static const auto next = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "iconv_open"));
  return next(to, from);
}

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
