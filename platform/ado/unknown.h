// IUnknown and IDispatch: the reference-counted object interfaces of the component runtime.
#pragma once

#include <atomic>

#include "base/windef.h"

// Class contexts accepted (and ignored) by CreateInstance.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;

// Objects are created with one reference that their creator owns; the last
// Release deletes them. No interface queries: each wrapper knows its class.
struct IUnknown {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

struct IDispatch : IUnknown {};

namespace adoimpl {

// The reference count shared by every object of the layer.
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> m_refs{1};
};

}  // namespace adoimpl
