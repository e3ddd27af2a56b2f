#pragma once
// Late-bound OLE automation: an object's members called by name through IDispatch, the
// class of a program id attached to or created, and every failure turned into the number
// and description the automation layer reports.

// windows.h comes first: the automation headers build on it.
#include "platform/win32_api.h"

#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace schreiber::automation::com {

// COM for the calling thread (single-threaded apartment), started once per thread.
void ensure_initialized();

// One argument or result, owning what it holds.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(std::wstring_view text);
  explicit Variant(std::int32_t number);
  explicit Variant(bool flag);
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant& other);
  Variant& operator=(const Variant&) = delete;

  VARIANT& get() { return value_; }
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

// An automation object; members are found by name (GetIDsOfNames) and called through
// Invoke. Every failure throws platform::Failure.
class Dispatch {
 public:
  // Takes over the reference.
  explicit Dispatch(IDispatch* object) : object_(object) {}
  ~Dispatch();
  Dispatch(const Dispatch& other);
  Dispatch& operator=(const Dispatch&) = delete;

  // obj.member(args) as a property read, giving an object.
  Dispatch get(std::wstring_view member, std::initializer_list<Variant> args = {}) const;
  // obj(args): the default member, as `collection(index)` reads it.
  Dispatch get_default(std::initializer_list<Variant> args) const;
  // obj.member args, as a method call whose result is dropped.
  void call(std::wstring_view member, std::initializer_list<Variant> args = {}) const;
  // obj(args) = value: the default member set.
  void put_default(std::initializer_list<Variant> args, const Variant& value) const;

  IDispatch* raw() const { return object_; }

 private:
  // The member's id, asked of the object once: an id never changes for the object's life,
  // and each lookup is a round trip to an application in another process.
  DISPID id_of(std::wstring_view member) const;
  Variant invoke(DISPID member, WORD flags, std::initializer_list<Variant> args,
                 const Variant* value) const;

  IDispatch* object_;
  mutable std::vector<std::pair<std::wstring, DISPID>> ids_;
};

// The object of the running instance of a class (by program id) in the running object
// table; fails with 429 when there is none or the class is unknown, 70 when access is denied.
Dispatch attach(std::wstring_view program_id);
// A new instance of the class; fails as attach() does.
Dispatch create(std::wstring_view program_id);
// Whether the program id names a class registered on this machine.
bool is_registered(std::wstring_view program_id);

// The number the automation layer gives a failure code, and its text.
std::int32_t failure_number(HRESULT code);
std::string failure_description(HRESULT code, std::int32_t number);

}  // namespace schreiber::automation::com
