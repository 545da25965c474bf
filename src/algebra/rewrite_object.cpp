// The one-object rewrite step of Simplify and Expand: a table from kind to rewrite rule. The rules
// live one concept to a file.
#include "algebra/simplify.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/rewrite_functions.h"
#include "algebra/rewrite_over.h"
#include "algebra/rewrite_plus.h"
#include "algebra/rewrite_power.h"
#include "algebra/rewrite_times.h"
#include "model/math_object.h"

namespace vexmar {
using namespace detail;
namespace {

// `list` and `equal`: nested objects of the same kind join this one.
void flattenSameKind(MathObject& o, RewriteContext&) {
  for (int i = 0; i < o.childCount();)
    if (o.child(i)->kind == o.kind && o.child(i)->childCount() > 0 && flattenChild(o, i))
      continue;
    else
      ++i;
}

struct RewriteRule {
  ObjectKind kind;
  void (*rewrite)(MathObject&, RewriteContext&);
};

constexpr RewriteRule kRewriteRules[] = {
    {ObjectKind::list, flattenSameKind},
    {ObjectKind::equal, flattenSameKind},
    {ObjectKind::times, rewriteTimes},
    {ObjectKind::plus, rewritePlus},
    {ObjectKind::minus, rewriteMinus},
    {ObjectKind::over, rewriteFraction},
    {ObjectKind::power, rewritePower},
    {ObjectKind::sqrt, rewriteSqrt},
    {ObjectKind::sn, rewriteScientific},
    {ObjectKind::ln, rewriteLn},
    {ObjectKind::log, rewriteLog},
    {ObjectKind::fact, rewriteFactorial},
    {ObjectKind::optotal, rewriteDerivativeOperator},
    {ObjectKind::oppartial, rewriteDerivativeOperator},
    {ObjectKind::sin, rewriteSine},
    {ObjectKind::cos, rewriteCosine},
};

} // namespace

void detail::rewriteObject(MathObject& object, RewriteContext& context) {
  if (object.childCount() == 0 || memoryIsLow()) return;
  for (int i = 0; i < object.childCount(); ++i)
    if (!object.child(i)) return; // a slot still being filled
  for (const RewriteRule& rule : kRewriteRules)
    if (rule.kind == object.kind) return rule.rewrite(object, context);
}

void rewriteObject(MathObject& object, const SimplifyOptions& options) {
  RewriteContext context(options);
  rewriteObject(object, context);
}

} // namespace vexmar
