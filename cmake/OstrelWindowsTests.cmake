# (tests follow)
