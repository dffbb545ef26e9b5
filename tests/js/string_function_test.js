// StringFunction as a JScript user calls it: every member is a method, so
// even the constants are called with parentheses; errors through try/catch.
var sf = new ActiveXObject("TarnLib.StringFunction");

check("MATCH_UPPER_CHARS", sf.MATCH_UPPER_CHARS(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
check("MATCH_CHARS", sf.MATCH_CHARS(), sf.MATCH_UPPER_CHARS() + sf.MATCH_LOWER_CHARS());
check("MATCH_DIGITS", sf.MATCH_DIGITS(), "0123456789");
check("MATCH_SPACES", sf.MATCH_SPACES(), " \t");
check("versioned ProgID", new ActiveXObject("TarnLib.StringFunction.11").MATCH_DIGITS(), "0123456789");

check("CountStringInString: overlapping", sf.CountStringInString("aaaa", "aa"), 3);
check("CountStringInString: Exact omitted is exact", sf.CountStringInString("Abc abc", "ABC"), 0);
check("CountStringInString: Exact false", sf.CountStringInString("Abc abc", "ABC", false), 2);
check("InStrEx from the end", sf.InStrEx(-1, "abcabc", "bc"), 2);
check("InStrEx text compare", sf.InStrEx(1, "abcabc", "BC", 1), 2);
check("InStrEx: a number as text converts", sf.InStrEx("3", "abcabc", "bc"), 5);

check("ReplaceString", sf.ReplaceString("aaa", "a", "aa"), "aaaaaa");
check("ReplaceString: numbers become text", sf.ReplaceString(12121, 1, "-"), "-2-2-");
check("CSql", sf.CSql("O'Neil"), "O''Neil");
check("FirstUCase", sf.FirstUCase("  hello   WORLD  "), "Hello World");
check("RemoveSpaces", sf.RemoveSpaces(" a b  c "), "abc");
check("OnlyOneSpace", sf.OnlyOneSpace("  a   b  "), "a b");
check("NoNull(null) is an empty string", sf.NoNull(null), "");
check("NoNull(5) stays a number", sf.NoNull(5), 5);
check("NoNull(undefined) stays undefined", sf.NoNull(undefined), undefined);
check("IsCustomString is a boolean", sf.IsCustomString("1234", sf.MATCH_DIGITS()), true);
check("IsCustomString false", sf.IsCustomString("12a", sf.MATCH_DIGITS()), false);
check("GetRndString length", sf.GetRndString(12).length, 12);
check("GetRndString from one character", sf.GetRndString(4, "x"), "xxxx");

// The library's errors: number and description.
checkError("CountStringInString with an empty Source", function () { sf.CountStringInString("", "a"); },
           0x800A0009, "Subscript out of range");
checkError("InStrEx from -2147483648", function () { sf.InStrEx(-2147483648, "abc", "b"); }, 0x800A0006, "Overflow");
checkError("GetRndString with an empty set", function () { sf.GetRndString(5, ""); }, 0x80040BB9,
           "UsingThisChars in GetRndString can't be an empty string");
checkError("ConvertRetToTab(13) without a window", function () { sf.ConvertRetToTab(13); }, 0x800A0005,
           "Invalid procedure call or argument");

// What the dispatch refuses before a member runs: the platform's DISP_E_ codes.
checkError("a text that is no number", function () { sf.InStrEx("x", "abc", "b"); }, 0x80020005);  // TYPEMISMATCH
checkError("null for a String", function () { sf.RemoveSpaces(null); }, 0x80020005);
checkError("a number too large for an Integer", function () { sf.InsertFirstUCase(100000); }, 0x8002000A);  // OVERFLOW
checkError("a required argument left out", function () { sf.RemoveSpaces(); }, 0x8002000E);  // BADPARAMCOUNT
checkError("one argument too many", function () { sf.RemoveSpaces("a", "b"); }, 0x8002000E);
checkError("a method read as a property", function () { return sf.MATCH_DIGITS; }, 0x80020003);  // MEMBERNOTFOUND
checkError("a member that does not exist", function () { sf.NoSuchMember(); }, 0x800A01B6,
           "Object doesn't support this property or method");

// ParseString writes its pieces into the caller's variable; JScript passes
// every argument by value, so whatever it passes is refused as a type
// mismatch and stays as it was. The pieces of a split are what JScript's own
// split gives for separators that do not overlap themselves.
var array = ["kept"];
checkError("ParseString into a JScript array", function () { sf.ParseString("a,b", ",", array); }, 0x80020005);
check("the JScript array is untouched", array.join("|"), "kept");
var dictionary = new ActiveXObject("Scripting.Dictionary");
dictionary.Add("k", 1);
checkError("ParseString into a VBArray", function () { sf.ParseString("a,b", ",", dictionary.Keys()); }, 0x80020005);
checkError("ParseString with nothing to fill", function () { sf.ParseString("a,b", ","); }, 0x8002000E);

summary();
