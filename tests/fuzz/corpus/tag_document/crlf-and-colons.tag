VERBOSE_GC: -verbose:gc
LIST:
	"/:"
	""
	second
/:
Q: "a ""b"" " trailing
