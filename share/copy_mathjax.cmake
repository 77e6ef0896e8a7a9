# Copies into a start folder the parts of MathJax that its pages load: the loader and its
# components (ASCIIMath input, HTML output, and the menu that templates written before it was
# left out still load) and the fonts of the HTML output, the same
# files that the installation takes. The copy replaces whatever stood there before, links
# included, so that the folder keeps working when it is copied or moved.
#   cmake -DFROM=<node_modules> -DTO=<start folder>/mathjax -P copy_mathjax.cmake
foreach(part mathjax @mathjax)
  if(IS_SYMLINK "${TO}/${part}")
    file(REMOVE "${TO}/${part}")
  else()
    file(REMOVE_RECURSE "${TO}/${part}")
  endif()
endforeach()
file(MAKE_DIRECTORY "${TO}/@mathjax")
file(COPY "${FROM}/mathjax/" DESTINATION "${TO}/mathjax"
     PATTERN "node-main*" EXCLUDE PATTERN "tex-*.js" EXCLUDE PATTERN "mml-*.js" EXCLUDE
     PATTERN "*.d.mts" EXCLUDE PATTERN "require.mjs" EXCLUDE
     PATTERN "sre" EXCLUDE)  # the speech rule engine: speech is off (no Portuguese rules)
file(COPY "${FROM}/@mathjax/mathjax-newcm-font/" DESTINATION "${TO}/@mathjax/mathjax-newcm-font"
     FILES_MATCHING PATTERN "chtml.js" REGEX "/mathjax-newcm-font/chtml/.*[.](js|woff2)$" PATTERN "package.json"
                    PATTERN "LICENSE" PATTERN "cjs" EXCLUDE PATTERN "mjs" EXCLUDE PATTERN "svg" EXCLUDE)
