// Storage that the C++ runtime never destroys. At an unload the runtime
// destroys a DLL's global objects once DllMain has returned; a copy of us
// that had to stay loaded (a host procedure in front of ours on a page still
// forwards to us) keeps running its page procedure after that, and what that
// procedure reads must still be there. The owner gives the object's memory
// back itself, with its reset, when nothing can reach it any more.
#pragma once

#include <new>

template <typename T>
class Persistent {
public:
    Persistent() { new (storage_) T(); }
    Persistent(const Persistent&) = delete;
    Persistent& operator=(const Persistent&) = delete;
    T& operator*() { return *object(); }
    T* operator->() { return object(); }

private:
    T* object() { return std::launder(reinterpret_cast<T*>(storage_)); }
    alignas(T) unsigned char storage_[sizeof(T)];
};
