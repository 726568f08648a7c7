#pragma once
// Public interface of the pattern engine: one template over the character
// type, with the narrow (char) and wide (wchar_t) instantiations as aliases.
// Ownership: compile() and makeMatcher() hand their result to the caller.
#include <string>
#include <utility>
#include <vector>

enum PatternFlags : unsigned long {
  IGNORE_CASE = 1,
  LITERAL_TEXT = 2,
  DOT_ALL = 4,
  LINE_ANCHORS = 8,
  LF_ONLY = 16,
};

template <class Ch> class BasicPattern;
template <class Ch> class BasicTextMatcher;

using Pattern = BasicPattern<char>;
using WidePattern = BasicPattern<wchar_t>;
using TextMatcher = BasicTextMatcher<char>;
using WideTextMatcher = BasicTextMatcher<wchar_t>;

// The full declarations live in pattern/PatternImpl.h (included below) so
// this header stays the one place a caller needs to read.
#include "pattern/PatternImpl.h"

/* Interface summary (see PatternImpl.h for the declarations):

   BasicPattern<Ch>:
     static BasicPattern* compile(const String& text, unsigned long flags = 0);   // null on syntax error
     static BasicPattern* compileCached(const String& text, unsigned long flags = 0);
     static void clearCache();
     static bool registerName(const String& name, const String& text, unsigned long flags = 0);
     static void clearNames();
     static bool matches(const String& pattern, const String& text, unsigned long flags = 0);
     static std::pair<String, int> findNth(const String& pattern, const String& text, int n, unsigned long flags = 0);
     static std::vector<String> findAll(const String& pattern, const String& text, unsigned long flags);
     static std::vector<String> split(const String& pattern, const String& text, bool keepEmpty, int limit, unsigned long flags);
     static String replace(const String& pattern, const String& text, const String& replacement, unsigned long flags);
     BasicTextMatcher<Ch>* makeMatcher(const String& text);
     bool matchesText(const String& text);
     std::vector<String> findAll(const String& text);
     std::vector<String> split(const String& text, bool keepEmpty = false, int limit = 0);
     String replace(const String& text, const String& replacement);
     void dump();               // narrow only
     int getGroupCount() const;
     int getNonCaptureCount() const;
     bool limitHit() const;     // the last operation on the pattern's own matcher hit a limit

   BasicTextMatcher<Ch>:
     bool matchesWhole(); bool findFirst(); bool findNext(); void reset(); void setText(const String&);
     String groupText(int) const; int groupStart(int) const; int groupEnd(int) const;
     std::vector<String> groupTexts(bool includeWholeMatch) const;
     std::vector<String> findAll(); String expandGroups(const String& templ) const;
     bool limitHit() const;     // the last operation was stopped by the depth guard or the step budget

   Limits: a match operation makes at most about ten million node visits and
   uses at most 2 MB of stack (less on a thread with less room); a match
   stopped by either reports no match and limitHit() is true. Texts longer
   than INT_MAX - 2 characters never match (limitHit() is true).
*/
