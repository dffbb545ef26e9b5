// ExCollection as a JScript user writes it: Item(...).Value and the call
// form c(key), Enumerator, both error modes, sorting and teardown. (JScript
// cannot assign to a call, so it replaces values with Remove and Add.)
var c = new ActiveXObject("TarnLib.ExCollection");
check("new: Count", c.Count, 0);
check("new: RaiseErrors", c.RaiseErrors, true);
check("new: Sorted", c.Sorted, false);

c.Add("one", "a");
c.Add(2, "B");
c.Add("zero", "z", 1);
check("Add before 1: Count", c.Count, 3);
check("Item(key).Value", c.Item("a").Value, "one");
check("Item(key) ignores case", c.Item("b").Value, 2);
check("Item(position).Value", c.Item(1).Value, "zero");
check("c(key) reads the item's value", "" + c("a"), "one");
check("Key(1)", c.Key(1), "z");
check("item Key() keeps the case of Add", c.Item("b").Key(), "B");
check("Index ignores case", c.Index("A"), 2);
check("Index of a missing key", c.Index("nope"), 0);
check("ExistKey", c.ExistKey("Z"), true);
// JScript cannot leave out an argument before one it gives: undefined
// arrives as Empty, which selects no entry. After "a" is before the entry
// that follows it.
checkError("undefined for before", function () { c.Add("v", "after a", undefined, "a"); }, 0x800A0005);
check("Add returns the value", c.Add("v", "after a", c.Index("a") + 1), "v");
check("Add before the next one: position", c.Index("after a"), 3);
check("digits as text select by key", (c.Add("by key", "2"), c.Item("2").Value), "by key");
check("a number selects by position", c.Item(2).Value, "one");

var first = c.Item("a");
var second = c.Item("z");
check("one item object", first === second, true);
check("it reads the last selector", first.Value, "zero");

var dictionary = new ActiveXObject("Scripting.Dictionary");
c.Add(dictionary, "dict");
check("an object comes back as itself", c.Item("dict").Value === dictionary, true);

// Enumerator yields the values in position order.
var values = [];
for (var e = new Enumerator(c); !e.atEnd(); e.moveNext()) {
  values.push(typeof e.item() === "object" ? "[object]" : "" + e.item());
}
check("Enumerator", values.join(","), "zero,one,v,2,by key,[object]");

// Errors raised (the default), caught with try/catch.
checkError("a missing key", function () { return c.Item("missing").Value; }, 0x800A0005,
           "Invalid procedure call or argument");
check("the error is recorded too", c.Err, 5);
checkError("Key(0)", function () { return c.Key(0); }, 0x800A0009, "Subscript out of range");
checkError("Remove of a missing key", function () { c.Remove("missing"); }, 0x800A0005);
checkError("a duplicate key, ignoring case", function () { c.Add("x", "A"); }, 0x800A01C9);
checkError("Sorted on a filled collection", function () { c.Sorted = true; }, 0x800A01FF,
           "Sorted property is read-only if the collection is not empty");

// Errors recorded only.
c.RaiseErrors = false;
check("recorded: Value is undefined", c.Item("missing").Value, undefined);
check("recorded: Err", c.Err, 5);
check("recorded: ErrDescription", c.ErrDescription, "Invalid procedure call or argument");
check("recorded: Key(99) is empty", c.Key(99), "");
check("a success resets Err", (c.Key(1), c.Err), 0);
c.RaiseErrors = true;

while (c.Count > 0) c.Remove(1);
c.Sorted = true;
c.Add(3, "c");
c.Add(1, "alpha");
c.Add(2, "Beta");
var keys = [];
for (var i = 1; i <= c.Count; i++) keys.push(c.Key(i));
check("sorted keys ignore case", keys.join(","), "alpha,Beta,c");

// After TerminateClass an item still held reads undefined without an error.
var held = c.Item("alpha");
c.TerminateClass();
check("after TerminateClass: Value", held.Value, undefined);
check("after TerminateClass: Key", held.Key(), "");

summary();
