// The behaviour of ExCollection without COM: keyed values in position order or
// sorted by key, the error traps of its members, the report step that records
// an error in Err and ErrDescription and raises it in RaiseErrors mode, the
// ordering switch and teardown. The COM class converts arguments and calls
// these members; the item view calls ReadValue and ReadKey.
//
// The collection files each entry's value and key once, in one keyed list:
// reading "the key list" at a position reads the key of that entry. The two
// lists the members are described with always hold the same keys at the same
// positions, so one list answers every question either would, at half the cost.
//
// `Value` is default-constructible (Empty) and its copy is the Automation copy.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "collection/keyed_list.h"
#include "collection/selector.h"
#include "frame/automation_error.h"
#include "frame/text_services.h"

namespace tarn::collection {

// Raised by Sorted let on a collection that is not empty.
inline constexpr int32_t kErrSortedReadOnly = 511;
inline constexpr std::u16string_view kSortedReadOnlyText =
    u"Sorted property is read-only if the collection is not empty";

template <typename Value>
class KeyedCollection {
 public:
  using List = KeyedList<Value>;

  explicit KeyedCollection(const TextServices& text) : list_(std::make_shared<List>(text)) {}

  // Public data members: plain fields, stored as given.
  int16_t raise_errors = -1;
  int16_t err = 0;
  std::u16string err_description;

  bool Terminated() const noexcept { return !list_; }
  // The live list, shared with enumerators; null after Terminate.
  const std::shared_ptr<List>& SharedList() const noexcept { return list_; }

  // Count: no trap; error 91 after Terminate.
  int32_t Count() const { return LiveList().Count(); }

  int16_t Sorted() const noexcept { return sorted_; }
  // Sorted let: no trap, nothing recorded; error 511 unless empty.
  void SetSorted(int16_t value) {
    if (LiveList().Count() != 0) {
      throw AutomationError(kErrSortedReadOnly, std::u16string(kSortedReadOnlyText), std::u16string(kProjectSource));
    }
    sorted_ = value;
  }

  // Add: trap, jump. The value stored is made from `source` (Value(source):
  // the Automation copy of a client's argument). The result is a copy of it
  // (another reference for an object); Empty after an error not raised.
  template <typename Source>
  Value Add(const Source& source, std::u16string_view key, const Selector* before, const Selector* after) {
    Pending pending;
    Value result;
    pending.Run([&] { result = InsertEntry(source, key, before, after).value(); });
    Report(pending);
    return result;
  }

  // Item get: trap, continue. Only the terminated state fails (error 91); the
  // item view is pointed at the selector by the caller.
  void ReportItemRead() {
    Pending pending;
    pending.Run([&] { LiveList(); });
    Report(pending);
  }

  // Item let and set: trap, jump. The entry keeps its key and position; only
  // its value is replaced, and the old value is released last.
  template <typename Source>
  void ReplaceValue(const Selector& selector, const Source& source) {
    Pending pending;
    Value old;
    pending.Run([&] {
      auto& entry = LiveList().Select(selector);
      Value copy(source);
      old = std::exchange(entry.value(), std::move(copy));
    });
    Report(pending);
  }

  // Remove: trap, continue.
  void Remove(const Selector& selector) {
    Pending pending;
    pending.Run([&] {
      List& list = LiveList();
      list.Remove(list.Select(selector));
    });
    Report(pending);
  }

  // Key: trap, continue. The key as Add received it; empty after an error.
  std::u16string KeyAt(int32_t position) {
    Pending pending;
    std::u16string key;
    pending.Run([&] { key = LiveList().At(position).Key(); });
    Report(pending);
    return key;
  }

  // Index: never fails and never reports; 0 when no entry has the key.
  int32_t Index(std::u16string_view key) const noexcept {
    try {
      if (!list_) return 0;
      const auto* entry = list_->Find(key);
      return entry ? list_->PositionOf(*entry) : 0;
    } catch (...) {
      return 0;
    }
  }

  bool ExistKey(std::u16string_view key) const noexcept { return Index(key) != 0; }

  // The item view's Value: trap, continue; Empty after an error not raised.
  Value ReadValue(const Selector& selector) {
    Pending pending;
    Value result;
    pending.Run([&] { result = LiveList().Select(selector).value(); });
    Report(pending);
    return result;
  }

  // The item view's Key: trap, continue; empty after an error not raised.
  std::u16string ReadKey(const Selector& selector) {
    Pending pending;
    std::u16string key;
    pending.Run([&] { key = LiveList().Select(selector).Key(); });
    Report(pending);
    return key;
  }

  // TerminateClass's release of the list (the caller detaches the item
  // first): error 91 when already done. Values are released after the
  // collection is in its terminated state.
  void Terminate() {
    LiveList();
    const std::shared_ptr<List> released = std::move(list_);
  }

 private:
  // The error a trap caught, pending until the report step.
  class Pending {
   public:
    template <typename Step>
    void Run(Step&& step) noexcept {
      try {
        step();
      } catch (const AutomationError& e) {
        error_.emplace(e);
      } catch (const std::bad_alloc&) {
        error_.emplace(MakeStandardError(kErrOutOfMemory));
      } catch (...) {
        error_.emplace(MakeStandardError(kErrInternal));
      }
    }
    const std::optional<AutomationError>& Error() const noexcept { return error_; }

   private:
    std::optional<AutomationError> error_;
  };

  // The report step: record the pending error (0 and "" when none), raise it
  // in RaiseErrors mode. A number that does not fit Err raises Overflow
  // instead and records nothing.
  void Report(const Pending& pending) {
    const auto& error = pending.Error();
    const int32_t number = error ? error->number() : 0;
    if (number < INT16_MIN || number > INT16_MAX) RaiseStandardError(kErrOverflow);
    std::u16string description = error ? error->description() : std::u16string();
    err = static_cast<int16_t>(number);
    err_description = description;
    if (raise_errors != 0 && number != 0) {
      throw AutomationError(number, std::move(description), std::u16string(kProjectSource));
    }
  }

  List& LiveList() const {
    if (!list_) RaiseStandardError(kErrObjectNotSet);
    return *list_;
  }

  template <typename Source>
  typename List::Entry& InsertEntry(const Source& source, std::u16string_view key, const Selector* before,
                                    const Selector* after) {
    List& list = LiveList();
    KeyForm form = KeyFormOf(list.Text(), key);
    int32_t position;
    if (sorted_ != 0) {
      // Keys that arrive in ascending order go to the end after one comparison.
      const auto* last = list.Last();
      position =
          !last || last->SortKey() < std::string_view(form.sort_key) ? list.Count() + 1 : list.SortedPosition(form);
    } else if (before && after) {
      RaiseStandardError(kErrInvalidCall);
    } else if (before) {
      position = list.PositionOf(list.Select(*before));
    } else if (after) {
      position = list.PositionOf(list.Select(*after)) + 1;
    } else {
      position = list.Count() + 1;
    }
    return list.Insert(position, key, std::move(form), Value(source));
  }

  std::shared_ptr<List> list_;
  int16_t sorted_ = 0;
};

}  // namespace tarn::collection
