# Packages that only the test suite needs (sourced by setup.sh).
packages+=(xauth)
