#include "common/system_error.hpp"

namespace tavo {
namespace {

class SystemCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "tavo.system"; }
  std::string message(int code) const override { return system_error_description(code); }
  std::error_condition default_error_condition(int code) const noexcept override {
    return detail::portable_condition(code);
  }
};

class ConditionCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "tavo.condition"; }
  std::string message(int condition) const override {
    switch (static_cast<ErrorCondition>(condition)) {
      case ErrorCondition::not_found:
        return "not found";
      case ErrorCondition::missing_parent:
        return "a folder on the way is missing";
      case ErrorCondition::transient_rename:
        return "the folder is briefly held by another program";
    }
    return "unknown condition";
  }
  bool equivalent(const std::error_code& code, int condition) const noexcept override {
    return code.category() == system_category() &&
           detail::matches(code.value(), static_cast<ErrorCondition>(condition));
  }
};

}  // namespace

const std::error_category& system_category() noexcept {
  static const SystemCategory category;
  return category;
}

std::error_code system_error_code(int code) noexcept { return {code, system_category()}; }

const std::error_category& condition_category() noexcept {
  static const ConditionCategory category;
  return category;
}

std::error_condition make_error_condition(ErrorCondition condition) noexcept {
  return {static_cast<int>(condition), condition_category()};
}

}  // namespace tavo
