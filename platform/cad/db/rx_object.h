// Run-time class descriptions: isKindOf, desc(), cast() of the CAD runtime's classes.
#pragma once

#include "cad/adsdef.h"

// One class of the runtime: its name, its DXF record name, its parent. Descriptions are
// static objects that live as long as the program.
class AcRxClass {
 public:
  AcRxClass(const ACHAR* name, const char* dxfName, const AcRxClass* parent)
      : m_name(name), m_dxfName(dxfName), m_parent(parent) {}
  AcRxClass(const AcRxClass&) = delete;
  AcRxClass& operator=(const AcRxClass&) = delete;

  const ACHAR* name() const { return m_name; }
  const char* dxfName() const { return m_dxfName; }
  const AcRxClass* myParent() const { return m_parent; }
  bool isDerivedFrom(const AcRxClass* other) const;

 private:
  const ACHAR* m_name;
  const char* m_dxfName;
  const AcRxClass* m_parent;
};

class AcRxObject {
 public:
  virtual ~AcRxObject() = default;
  static AcRxClass* desc();
  static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }
  virtual AcRxClass* isA() const { return desc(); }
  bool isKindOf(const AcRxClass* cls) const { return isA()->isDerivedFrom(cls); }
  // A copy that belongs to no database (ids of the copy's references stay as in the original).
  virtual AcRxObject* clone() const { return nullptr; }
};

// Declares desc(), cast() and isA() for a class of the runtime.
#define ZRCAD_DECLARE_MEMBERS(CLASS)                                                          \
 public:                                                                                      \
  static AcRxClass* desc();                                                                   \
  static CLASS* cast(const AcRxObject* p) {                                                   \
    return p && p->isKindOf(CLASS::desc()) ? const_cast<CLASS*>(static_cast<const CLASS*>(p)) \
                                           : nullptr;                                         \
  }                                                                                           \
  AcRxClass* isA() const override { return desc(); }

// Defines desc() of CLASS with its parent class and DXF record name.
#define ZRCAD_DEFINE_MEMBERS(CLASS, PARENT, DXFNAME)           \
  AcRxClass* CLASS::desc() {                                   \
    static AcRxClass cls(L## #CLASS, DXFNAME, PARENT::desc()); \
    return &cls;                                               \
  }
