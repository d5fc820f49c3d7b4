// Forwarding of a C call to the C++ method of the object: a NULL object is a
// failed call (result 1), and nothing thrown escapes to the C caller.
#ifndef OSTREL_HOSTING_CINTERFACEGUARD_H
#define OSTREL_HOSTING_CINTERFACEGUARD_H

#include <cstdint>

namespace ostrel {

template <class Call>
uint8_t ForwardToObject(void* obj, Call&& call) noexcept {
  if (obj == nullptr) {
    return 1;
  }
  try {
    return call();
  } catch (...) {
    return 1;
  }
}

}  // namespace ostrel

#define OSTREL_FORWARD(obj, call) \
  ::ostrel::ForwardToObject((obj), [&]() -> uint8_t { return (obj)->call; })

#endif  // OSTREL_HOSTING_CINTERFACEGUARD_H
