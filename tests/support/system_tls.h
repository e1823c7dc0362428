// A thread-local key made with the system's own calls, outside the platform
// layer, as the graphical runtime makes its index: a pthread key on POSIX
// systems, a TLS slot on Windows.
#pragma once
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace votest {

#ifdef _WIN32
using SystemTlsKey = DWORD;
inline bool CreateSystemTlsKey(SystemTlsKey* key) {
  *key = TlsAlloc();
  return *key != TLS_OUT_OF_INDEXES;
}
inline bool SetSystemTlsValue(SystemTlsKey key, void* value) { return TlsSetValue(key, value); }
inline void* SystemTlsValue(SystemTlsKey key) { return TlsGetValue(key); }
inline void DeleteSystemTlsKey(SystemTlsKey key) { TlsFree(key); }
#else
using SystemTlsKey = pthread_key_t;
inline bool CreateSystemTlsKey(SystemTlsKey* key) { return pthread_key_create(key, nullptr) == 0; }
inline bool SetSystemTlsValue(SystemTlsKey key, void* value) {
  return pthread_setspecific(key, value) == 0;
}
inline void* SystemTlsValue(SystemTlsKey key) { return pthread_getspecific(key); }
inline void DeleteSystemTlsKey(SystemTlsKey key) { pthread_key_delete(key); }
#endif

}  // namespace votest
