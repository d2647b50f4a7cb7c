// Result-buffer chains and strings allocated for callers of the runtime.
#include "cad/db/resbuf_util.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace zrcad {

RbKind rbKindOf(int t) {
  if (t == RTSTR || (t >= 0 && t <= 9) || (t >= 100 && t <= 102) || (t >= 300 && t <= 309) ||
      (t >= 410 && t <= 419) || (t >= 1000 && t <= 1003) || t == 999)
    return RbKind::kString;
  if ((t >= 320 && t <= 369) || (t >= 390 && t <= 399) || (t >= 480 && t <= 481) || t == 1005)
    return RbKind::kHandle;
  if (t == RTREAL || t == RTANG || (t >= 38 && t <= 59) || (t >= 140 && t <= 149) ||
      (t >= 460 && t <= 469) || (t >= 1040 && t <= 1042))
    return RbKind::kReal;
  if (t == RTPOINT || t == RT3DPOINT || (t >= 10 && t <= 37) || (t >= 110 && t <= 139) ||
      (t >= 210 && t <= 239) || (t >= 1010 && t <= 1039))
    return RbKind::kPoint;
  if (t == RTSHORT || (t >= 60 && t <= 79) || (t >= 170 && t <= 179) || (t >= 270 && t <= 289) ||
      (t >= 370 && t <= 389) || (t >= 400 && t <= 409) || t == 1070)
    return RbKind::kShort;
  if (t == RTLONG || (t >= 90 && t <= 99) || (t >= 420 && t <= 429) || (t >= 440 && t <= 459) ||
      t == 1071)
    return RbKind::kLong;
  if (t >= 160 && t <= 169) return RbKind::kInt64;
  if ((t >= 310 && t <= 319) || t == 1004) return RbKind::kBinary;
  return RbKind::kNone;
}

}  // namespace zrcad

using zrcad::RbKind;

resbuf* acutNewRb(int type) {
  auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
  if (rb) rb->restype = static_cast<short>(type);
  return rb;
}

static void freeValue(resbuf* rb) {
  RbKind k = zrcad::rbKindOf(rb->restype);
  if (k == RbKind::kString || k == RbKind::kHandle) std::free(rb->resval.rstring);
  if (k == RbKind::kBinary) std::free(rb->resval.rbinary.buf);
}

int acutRelRb(resbuf* rb) {
  while (rb) {
    resbuf* next = rb->rbnext;
    freeValue(rb);
    std::free(rb);
    rb = next;
  }
  return RTNORM;
}

ACHAR* acutNewString(const ACHAR* s) {
  if (s == nullptr) s = L"";
  size_t n = std::wcslen(s) + 1;
  auto* copy = static_cast<ACHAR*>(std::malloc(n * sizeof(ACHAR)));
  if (copy) std::wmemcpy(copy, s, n);
  return copy;
}

void acutDelString(ACHAR*& s) {
  std::free(s);
  s = nullptr;
}

// Fills rb from the next variadic argument; false for a type that takes no known value.
static bool takeValue(resbuf* rb, int type, va_list& ap) {
  switch (zrcad::rbKindOf(type)) {
    case RbKind::kString:
    case RbKind::kHandle:
      rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
      return true;
    case RbKind::kReal:
      rb->resval.rreal = va_arg(ap, double);
      return true;
    case RbKind::kPoint: {
      const double* p = va_arg(ap, const double*);
      for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = p ? p[i] : 0.0;
      return true;
    }
    case RbKind::kShort:
      rb->resval.rint = static_cast<short>(va_arg(ap, int));
      return true;
    case RbKind::kLong:
      rb->resval.rlong = va_arg(ap, Adesk::Int32);
      return true;
    case RbKind::kInt64:
      rb->resval.mnInt64 = va_arg(ap, Adesk::Int64);
      return true;
    default:
      break;
  }
  if (type == RTLB || type == RTLE || type == RTDOTE || type == RTNIL || type == RTT ||
      type == RTNONE || type == RTVOID)
    return true;
  if (type == RTENAME || type == RTPICKS) {
    const Adesk::LongPtr* n = va_arg(ap, const Adesk::LongPtr*);
    rb->resval.rlname[0] = n ? n[0] : 0;
    rb->resval.rlname[1] = n ? n[1] : 0;
    return true;
  }
  return false;
}

resbuf* acutBuildList(int type, ...) {
  va_list ap;
  va_start(ap, type);
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (; type != 0; type = va_arg(ap, int)) {
    resbuf* rb = acutNewRb(type);
    if (rb == nullptr || !takeValue(rb, type, ap)) {
      std::free(rb);
      acutRelRb(head);
      va_end(ap);
      return nullptr;
    }
    (head ? tail->rbnext : head) = rb;
    tail = rb;
  }
  va_end(ap);
  return head;
}

resbuf* acutDuplicateRb(const resbuf* rb) {
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (; rb; rb = rb->rbnext) {
    resbuf* copy = acutNewRb(rb->restype);
    copy->resval = rb->resval;
    RbKind k = zrcad::rbKindOf(rb->restype);
    if (k == RbKind::kString || k == RbKind::kHandle)
      copy->resval.rstring = acutNewString(rb->resval.rstring);
    if (k == RbKind::kBinary && rb->resval.rbinary.clen > 0 && rb->resval.rbinary.buf) {
      copy->resval.rbinary.buf = static_cast<char*>(std::malloc(rb->resval.rbinary.clen));
      std::memcpy(copy->resval.rbinary.buf, rb->resval.rbinary.buf, rb->resval.rbinary.clen);
    }
    (head ? tail->rbnext : head) = copy;
    tail = copy;
  }
  return head;
}
