# The Debian package, made by `cpack -G DEB` in a build tree (scripts/package builds one and
# tests it). The program goes to /usr/bin, its resources to /usr/share/m4.

# The package is not called m4: that name, and /usr/bin/m4, belong to GNU m4, which the
# package therefore declares it conflicts with.
set(M4_PACKAGE_NAME qinglan-m4)
set(M4_PACKAGE_MAINTAINER "M-4 developers <m4-dev@example.org>")

# Documents every Debian package carries: its copyright and its compressed change log; and the
# manual page of the program.
set(M4_PACKAGE_DOCS share/doc/${M4_PACKAGE_NAME})
set(M4_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${M4_PACKAGING_DIR}/changelog.Debian
    @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/m4.1.in ${M4_PACKAGING_DIR}/m4.1 @ONLY)
foreach(document IN ITEMS changelog.Debian m4.1)
    add_custom_command(OUTPUT ${M4_PACKAGING_DIR}/${document}.gz
        COMMAND gzip -9n -c ${document} > ${document}.gz
        DEPENDS ${M4_PACKAGING_DIR}/${document}
        WORKING_DIRECTORY ${M4_PACKAGING_DIR}
        VERBATIM)
endforeach()
add_custom_target(package_documents ALL
    DEPENDS ${M4_PACKAGING_DIR}/changelog.Debian.gz ${M4_PACKAGING_DIR}/m4.1.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${M4_PACKAGING_DIR}/changelog.Debian.gz
    DESTINATION ${M4_PACKAGE_DOCS})
install(FILES ${M4_PACKAGING_DIR}/m4.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${M4_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${M4_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT ${M4_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links come from dpkg-shlibdeps; what Qt loads at run time does not
# show there: the platform plugins that open the window, Qt's Chinese texts for its own menus
# and buttons, and a font with Chinese characters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONFLICTS m4)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "reservoir flood routing calculator - 水库调洪计算
M-4 routes a flood through a reservoir with one Runge-Kutta step per period,
from the level-area curve, the inflow hydrograph and the outlet works (tunnels,
spillways, gated orifices, a level-discharge table). It writes a fixed-width
Chinese report, a hydrograph chart and a printout. Cases are entered and saved
in a Chinese window; m4 route and m4 check work without a display.

青岚七号综合分析器（M-4）：水库调洪演算。
根据水位面积曲线、入库洪水过程和泄洪建筑物（隧洞、溢洪道、闸孔、
水位流量关系），逐时段用龙格-库塔法演算，写出中文计算报告和过程线图，
并可打印。")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
