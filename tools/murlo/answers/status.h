// How murlo says that something failed: one Status (ok, or a kind and one
// line for a person, with the details some kinds carry) and one Result<T>
// (a value, or the Status that stands in its place). Every part of the tool
// reports a failure this way; the command line turns the kind into an exit
// status, murlo serve into an HTTP status.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_STATUS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_STATUS_H_

#include <cassert>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "answers/train_lines.h"

namespace murlo::tool {

class Status {
 public:
  enum class Kind {
    kOk,
    kUnknownStation,   // no station has the name or matches it: names() suggests some
    kSeveralStations,  // several stations match the name: names() lists them
    kSameStation,      // the origin and the destination are one station
    kUnknownTrain,     // no train has the index or runs under the number
    kSeveralTrains,    // several trains run under the number: trains() lists them
    kInvalidArgument,  // a number outside the range the library takes, or no train number
    kBadParameter,     // a value given on the command line or in a request is not one
                       // its option or parameter takes (parameter() names it)
    kCannotLoad,       // a database cannot be opened or loaded
    kFile,             // a file cannot be read or written, or would be wrongly replaced
    kOutOfMemory,      // the library or murlo ran out of memory
    kLibrary,          // an unexpected result, or a result text of another form
  };

  // What some kinds carry besides their message.
  struct Details {
    // Which station of the question (kUnknownStation, kSeveralStations):
    // "origin", "destination", "boarding", "alighting" or "".
    std::string role;
    // The option or parameter refused (kBadParameter), when one is.
    std::string parameter;
    std::vector<std::string> names;
    std::vector<TrainLine> trains;
  };

  // Ok.
  Status() = default;
  // A failure of `kind` (not kOk); `message` is one line, as murlo prints it
  // after "murlo: ".
  Status(Kind kind, std::string message, Details details = {})
      : state_(std::make_shared<const State>(State{kind, std::move(message), std::move(details)})) {
    assert(kind != Kind::kOk);
  }

  static Status badParameter(std::string parameter, std::string message) {
    Details details;
    details.parameter = std::move(parameter);
    return Status(Kind::kBadParameter, std::move(message), std::move(details));
  }

  // kOutOfMemory saying "out of memory", made without taking memory: for
  // where memory has run out.
  static Status outOfMemory() {
    static const State state{Kind::kOutOfMemory, "out of memory", {}};
    Status status;
    // A pointer that owns nothing: no control block to allocate.
    status.state_ = std::shared_ptr<const State>(std::shared_ptr<const State>(), &state);
    return status;
  }

  bool ok() const { return state_ == nullptr; }
  Kind kind() const { return state_ ? state_->kind : Kind::kOk; }
  // Empty when ok.
  const std::string& message() const { return state_ ? state_->message : none().message; }
  const std::string& role() const { return details().role; }
  const std::string& parameter() const { return details().parameter; }
  const std::vector<std::string>& names() const { return details().names; }
  const std::vector<TrainLine>& trains() const { return details().trains; }

 private:
  struct State {
    Kind kind;
    std::string message;
    Details details;
  };
  static const State& none() {
    static const State state{Kind::kOk, {}, {}};
    return state;
  }
  const Details& details() const { return state_ ? state_->details : none().details; }

  // Shared, never changed: a status is copied as cheaply as a pointer.
  std::shared_ptr<const State> state_;
};

// A value, or the failure that stands in its place.
template <typename T>
class Result {
 public:
  // Implicit, so that a function returns either.
  Result(T value) : value_(std::move(value)) {}
  Result(Status status) : status_(std::move(status)) { assert(!status_.ok()); }

  bool ok() const { return value_.has_value(); }
  // Ok when there is a value.
  const Status& status() const { return status_; }
  const T& operator*() const { return *value_; }
  T& operator*() { return *value_; }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_STATUS_H_
