#include "platform/win32/mutex_instance_check.h"

#include "common/runtime_error.h"

namespace lightmatrix {

MutexInstanceCheck::~MutexInstanceCheck() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool MutexInstanceCheck::anotherInstanceRunning() {
    if (mutex_ != nullptr) return false;  // this process holds it already
    // Only the name matters: the mutex exists while any instance holds it open.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, kName);
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // Made by an instance under other credentials in this session.
        if (error == ERROR_ACCESS_DENIED) return true;
        raise(ErrorKind::Platform, "cannot create the instance mutex");
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    mutex_ = mutex;
    return false;
}

}  // namespace lightmatrix
