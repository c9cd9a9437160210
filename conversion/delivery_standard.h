// What a delivery standard demands of the pens and layers of a drawing, as data in one place,
// and the check that turns an inspection into graded findings. SxfDeliveryStandard gives the
// rules of an SXF electronic delivery of public works; a client's own rules can take their
// place as another DeliveryStandard.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/inspect.h"

namespace tolvane {

// Graded as the official checkers grade: an error fails the delivery, a warning is to be
// looked at.
enum class FindingGrade : uint8_t { Error, Warning };

enum class DeliveryRule : uint8_t {
    Color,         // a colour outside the standard's colours
    LineType,      // a line type outside the standard's line types
    Width,         // an explicit width that is not a standard width
    NoWidth,       // width 0: no explicit width
    LayerName,     // a layer holding entities whose name does not have the standard's form
    UnnamedLayer,  // a layer holding entities with an empty name
};
inline constexpr size_t kDeliveryRuleCount = 6;

// "error", "warning".
const char* FindingGradeName(FindingGrade grade);
// "color", "linetype", "width", "no_width", "layer_name", "unnamed_layer".
const char* DeliveryRuleName(DeliveryRule rule);

struct NumberRange {
    int First = 0;
    int Last = 0;
};

// A layer name of the form party, separator, fields: "D-STR-HTXT" is party D, then the fields
// STR and HTXT. Fields hold capital letters and digits.
struct LayerNameForm {
    std::string Parties;  // the letters a name may begin with
    char Separator = '-';
    size_t MinFields = 1;
    size_t MaxFields = 2;
    size_t MinFieldLength = 1;
    size_t MaxFieldLength = 4;
    // The last field may have one more character (a capital letter or a digit).
    bool LastFieldSuffix = true;
};

struct DeliveryStandard {
    std::string Name;  // as the command line's --standard names it
    std::string Title;  // as the findings name it ("SXF")
    std::vector<NumberRange> Colors;
    std::vector<NumberRange> LineTypes;
    std::vector<uint16_t> Widths;  // 1/100 mm
    LayerNameForm LayerNames;
    std::array<FindingGrade, kDeliveryRuleCount> Grades{};
};

// The SXF delivery: colours 101 to 356 (the 16 predefined and the user-defined SXF colours),
// line types 31 to 45 and 47 to 62, the widths of the ISO 128 series, layer names as the CAD
// drawing standards for delivery form them (responsible party S, D, C or M, a drawing object
// and optionally a drawing element: "S-BGD", "D-STR-HTXT").
const DeliveryStandard& SxfDeliveryStandard();
// The standard of that name ("sxf"), if there is one.
std::optional<DeliveryStandard> DeliveryStandardNamed(std::string_view name);

bool InRanges(const std::vector<NumberRange>& ranges, int value);
bool MatchesLayerNameForm(const ArchiveString& name, const LayerNameForm& form);

struct Finding {
    FindingGrade Grade = FindingGrade::Error;
    DeliveryRule Rule = DeliveryRule::Color;
    // The pen rules: the entity kind and the colour, line type or width.
    PenEntity Entity = PenEntity::Line;
    int Value = 0;
    // The layer rules.
    uint16_t Group = 0;
    uint16_t Layer = 0;
    ArchiveString Name;
    // Entities concerned, block members included, and of them in block definitions.
    uint64_t Count = 0;
    uint64_t InBlocks = 0;

    bool IsLayerFinding() const { return Rule == DeliveryRule::LayerName || Rule == DeliveryRule::UnnamedLayer; }
};

struct DeliveryCheck {
    std::vector<Finding> Findings;  // errors first; then by rule, entity or layer, value
    size_t Errors = 0;              // findings graded error
    size_t Warnings = 0;            // findings graded warning
};

// A colour is checked on every kind that carries one, a line type and a width on the kinds
// that carry them (CarriesColor, CarriesLineTypeAndWidth). Layer names only in drawings: a
// figure file stores none.
DeliveryCheck CheckDelivery(const DrawingInspection& inspection, const DeliveryStandard& standard);

// The finding that weighs most: the highest grade, then the most entities; none when the
// check found nothing.
const Finding* WorstFinding(const DeliveryCheck& check);

}  // namespace tolvane
