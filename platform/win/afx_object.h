// CObject and the framework's run-time class records: a class's name, its base
// class and, for classes declared dynamically creatable, a factory. Used where
// code chooses a class at run time (the grid's cell types).
#pragma once

#include "base/windef.h"

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;
  CObject* (*m_pfnCreateObject)();  // null for classes that are not creatable
  CRuntimeClass* (*m_pfnGetBaseClass)();

  // A new object of the class (owned by the caller), or null when the class
  // was not declared creatable.
  CObject* CreateObject() const;
  // True when this class is pBaseClass or derives from it.
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
  CRuntimeClass* GetBaseClass() const { return m_pfnGetBaseClass ? m_pfnGetBaseClass() : nullptr; }
};

class CObject {
 public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  static CRuntimeClass* GetThisClass();
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

  static CRuntimeClass classCObject;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)       \
 public:                                  \
  static CRuntimeClass class##class_name; \
  static CRuntimeClass* GetThisClass();   \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define FANCAD_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                        \
  CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), 0xFFFF, pfnNew, \
                                                 &base_class_name::GetThisClass};                 \
  CRuntimeClass* class_name::GetThisClass() { return &class_name::class##class_name; }            \
  CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  FANCAD_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  FANCAD_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

#define STATIC_DOWNCAST(class_name, object) \
  (dynamic_cast<class_name*>(static_cast<CObject*>(object)))
#define DYNAMIC_DOWNCAST(class_name, object) STATIC_DOWNCAST(class_name, object)
