#pragma once
// Owners of COM interface pointers: the reference is released on every way
// out, so that a command that stops half-way leaves no object alive.

#include <windows.h>
#include <unknwn.h>

#include "platform/unique_resource.h"

namespace qm::platform {

template <typename Interface>
void release_com_object(Interface* object) {
  object->Release();
}

template <typename Interface>
using UniqueComPointer = UniqueResource<NullIsNoneTraits<Interface*, release_com_object<Interface>>>;

// Another interface of the same object, or an empty owner when it has none.
template <typename Wanted, typename Interface>
UniqueComPointer<Wanted> query_interface(Interface* object, REFIID id) {
  void* wanted = nullptr;
  if (object == nullptr || FAILED(object->QueryInterface(id, &wanted))) return {};
  return UniqueComPointer<Wanted>(static_cast<Wanted*>(wanted));
}

}  // namespace qm::platform
