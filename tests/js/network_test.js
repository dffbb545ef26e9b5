// Network as a JScript user calls it. Only names this machine answers itself;
// names under .invalid do not resolve (the runner keeps them off DNS).
var net = new ActiveXObject("TarnLib.Network");
var dotted = /^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$/;

check("GetIp of localhost", net.GetIp("localhost"), "127.0.0.1");
var own = net.GetIp();
check("GetIp() is a dotted address", dotted.test(own), true);
check("GetIp(undefined) is the machine's address too", net.GetIp(undefined), own);
check("GetIp of a name that does not resolve", net.GetIp("nowhere.invalid"), "");
check("GetIp of a dotted address", net.GetIp("192.168.1.200"), "192.168.1.200");
check("HostByAddr of 127.0.0.1", net.HostByAddr("127.0.0.1"), "localhost");
check("HostByAddr of an address without a name", net.HostByAddr("198.51.100.7"), "");

var tooLong = new Array(66).join("b") + ".invalid";  // 73 characters
checkError("GetIp of a name over 64 characters", function () { net.GetIp(tooLong); }, 0x800A0005,
           "Invalid procedure call or argument");
checkError("HostByAddr needs its address", function () { net.HostByAddr(); }, 0x8002000E);

summary();
