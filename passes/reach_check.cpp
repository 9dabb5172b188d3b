#include "passes/reach_check.h"

#include <algorithm>

namespace {

// Growth of the placeholders in listing-address order, with prefix sums in O(log n).
class GrowthTree {
 public:
  explicit GrowthTree(std::size_t size) : sums_(size + 1, 0) {}
  void Add(std::size_t position, std::int64_t growth) {
    for (std::size_t i = position + 1; i < sums_.size(); i += i & (~i + 1)) sums_[i] += growth;
  }
  // Growth of the placeholders at positions below `end`.
  std::int64_t Before(std::size_t end) const {
    std::int64_t sum = 0;
    for (std::size_t i = end; i > 0; i -= i & (~i + 1)) sum += sums_[i];
    return sum;
  }

 private:
  std::vector<std::int64_t> sums_;
};

std::int64_t Growth(PlaceholderForm form) { return FormBytes(form) - 2; }

bool Within(std::int64_t offset, std::int64_t back, std::int64_t forward) {
  return offset >= back && offset <= forward;
}

// CALL, GOTO and skip + GOTO reach the whole program memory.
bool Absolute(PlaceholderForm form) { return LongerForm(form) == form; }

class ReachCheck {
 public:
  explicit ReachCheck(std::vector<PlacedForm>& forms) : forms_(forms), tree_(0) {
    for (std::size_t i = 0; i < forms_.size(); ++i)
      if (forms_[i].address >= 0) order_.push_back(i);
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::size_t a, std::size_t b) { return forms_[a].address < forms_[b].address; });
    position_.assign(forms_.size(), 0);
    addresses_.reserve(order_.size());
    tree_ = GrowthTree(order_.size());
    for (std::size_t k = 0; k < order_.size(); ++k) {
      position_[order_[k]] = k;
      addresses_.push_back(forms_[order_[k]].address);
      tree_.Add(k, Growth(forms_[order_[k]].form));
    }
  }

  // A form's reach depends only on the growth between it and its label, so when one form
  // grows, only the relative forms within the longest span of it are checked again: the work
  // stays proportional to the relative forms near each lengthening. Sizes only grow, and a
  // form grows at most twice, so this ends; and as a form is lengthened only when it cannot
  // reach even with the growth so far, the order of the checks does not change the outcome.
  std::size_t Run() {
    std::int64_t window = 0;
    std::vector<std::size_t> relative;  // the forms to check, by listing address
    for (const std::size_t i : order_) {
      if (!Checked(forms_[i])) continue;
      const std::int64_t span = static_cast<std::int64_t>(forms_[i].target) - forms_[i].address;
      window = std::max(window, span < 0 ? -span : span);
      relative.push_back(i);
    }
    std::vector<std::int64_t> relativeAddresses;
    relativeAddresses.reserve(relative.size());
    for (const std::size_t i : relative) relativeAddresses.push_back(forms_[i].address);
    const auto firstAtOrAbove = [&](std::int64_t address) {
      return static_cast<std::size_t>(std::lower_bound(relativeAddresses.begin(), relativeAddresses.end(), address) -
                                      relativeAddresses.begin());
    };

    std::vector<std::size_t> pending(relative.rbegin(), relative.rend());  // the first placeholder is checked first
    std::vector<bool> queued(forms_.size(), false);
    for (const std::size_t i : relative) queued[i] = true;
    std::size_t lengthened = 0;
    while (!pending.empty()) {
      const std::size_t i = pending.back();
      pending.pop_back();
      queued[i] = false;
      if (!Checked(forms_[i]) || Reaches(forms_[i])) continue;
      const PlaceholderForm longer = LongerForm(forms_[i].form);
      tree_.Add(position_[i], Growth(longer) - Growth(forms_[i].form));
      forms_[i].form = longer;
      ++lengthened;
      const std::int64_t address = forms_[i].address;
      const std::size_t end = firstAtOrAbove(address + window + 1);
      for (std::size_t k = firstAtOrAbove(address - window); k < end; ++k) {
        const std::size_t j = relative[k];
        if (queued[j] || !Checked(forms_[j])) continue;
        pending.push_back(j);
        queued[j] = true;
      }
    }
    return lengthened;
  }

 private:
  bool Checked(const PlacedForm& placed) const {
    return !placed.fixed && placed.address >= 0 && !Absolute(placed.form);
  }

  std::size_t FirstAtOrAbove(std::int64_t address) const {
    return static_cast<std::size_t>(std::lower_bound(addresses_.begin(), addresses_.end(), address) -
                                    addresses_.begin());
  }

  // Where an instruction or label at a listing address ends up once the placeholders before
  // it have grown (a label at a placeholder's own address stands before it).
  std::int64_t FinalAddress(std::int64_t address) const { return address + tree_.Before(FirstAtOrAbove(address)); }

  // A skip instruction skips exactly one instruction, however many words that one has; what
  // lies between the skip and its label must therefore still be written as one instruction.
  bool SkipsOneInstruction(const PlacedForm& placed) const {
    const std::size_t end = FirstAtOrAbove(placed.target);
    for (std::size_t k = FirstAtOrAbove(static_cast<std::int64_t>(placed.address) + 1); k < end; ++k)
      if (FormInstructions(forms_[order_[k]].form) != 1) return false;
    return true;
  }

  bool Reaches(const PlacedForm& placed) const {
    const std::int64_t start = FinalAddress(placed.address);
    const std::int64_t label = FinalAddress(placed.target);
    switch (placed.form) {
      case PlaceholderForm::RelativeCall:
      case PlaceholderForm::RelativeJump:
        return Within(label - start, BraReachBack, BraReachForward);
      case PlaceholderForm::ConditionalBranch:
        return Within(label - start, BranchReachBack, BranchReachForward);
      case PlaceholderForm::DigitCarrySkipAndBra:
      case PlaceholderForm::SkipAndBra:
        // The BRA is the second instruction, one word after the skip.
        return Within(label - (start + 2), BraReachBack, BraReachForward);
      case PlaceholderForm::SingleSkip:
        return SkipsOneInstruction(placed);
      default:
        return true;
    }
  }

  std::vector<PlacedForm>& forms_;
  std::vector<std::size_t> order_;     // indices of forms_ with an address, by listing address
  std::vector<std::size_t> position_;  // index of forms_ -> its position in order_
  std::vector<std::int64_t> addresses_;
  GrowthTree tree_;
};

}  // namespace

std::size_t LengthenFormsOutOfReach(std::vector<PlacedForm>& forms) { return ReachCheck(forms).Run(); }
