# cmake -DUNIT_IN=<qor-driver.service.in> -DPREFIX=<prefix> -P configure_unit.cmake: the user unit as
# the installation writes it below PREFIX (its programs named in PREFIX/bin, "%" doubled for systemd).
set(QOR_UNIT_BINDIR "${PREFIX}/bin")
string(REPLACE "%" "%%" QOR_UNIT_BINDIR "${QOR_UNIT_BINDIR}")
configure_file("${UNIT_IN}" "${PREFIX}/lib/systemd/user/qor-driver.service" @ONLY)
