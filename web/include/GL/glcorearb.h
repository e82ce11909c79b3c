#pragma once
// The browser build's stand-in for the desktop core-profile header that the engine's GL code includes:
// emscripten's desktop GL headers with every prototype, and the pointer types of the OpenGL 1.0 and 1.1
// entry points, which its extension header leaves out. The entry-point table is filled from the
// browser's WebGL 2 functions by name; names WebGL 2 lacks stay null.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

using PFNGLCULLFACEPROC = decltype(&::glCullFace);
using PFNGLFRONTFACEPROC = decltype(&::glFrontFace);
using PFNGLHINTPROC = decltype(&::glHint);
using PFNGLLINEWIDTHPROC = decltype(&::glLineWidth);
using PFNGLPOINTSIZEPROC = decltype(&::glPointSize);
using PFNGLPOLYGONMODEPROC = decltype(&::glPolygonMode);
using PFNGLSCISSORPROC = decltype(&::glScissor);
using PFNGLTEXPARAMETERFPROC = decltype(&::glTexParameterf);
using PFNGLTEXPARAMETERFVPROC = decltype(&::glTexParameterfv);
using PFNGLTEXPARAMETERIPROC = decltype(&::glTexParameteri);
using PFNGLTEXPARAMETERIVPROC = decltype(&::glTexParameteriv);
using PFNGLTEXIMAGE1DPROC = decltype(&::glTexImage1D);
using PFNGLTEXIMAGE2DPROC = decltype(&::glTexImage2D);
using PFNGLDRAWBUFFERPROC = decltype(&::glDrawBuffer);
using PFNGLCLEARPROC = decltype(&::glClear);
using PFNGLCLEARCOLORPROC = decltype(&::glClearColor);
using PFNGLCLEARSTENCILPROC = decltype(&::glClearStencil);
using PFNGLCLEARDEPTHPROC = decltype(&::glClearDepth);
using PFNGLSTENCILMASKPROC = decltype(&::glStencilMask);
using PFNGLCOLORMASKPROC = decltype(&::glColorMask);
using PFNGLDEPTHMASKPROC = decltype(&::glDepthMask);
using PFNGLDISABLEPROC = decltype(&::glDisable);
using PFNGLENABLEPROC = decltype(&::glEnable);
using PFNGLFINISHPROC = decltype(&::glFinish);
using PFNGLFLUSHPROC = decltype(&::glFlush);
using PFNGLBLENDFUNCPROC = decltype(&::glBlendFunc);
using PFNGLLOGICOPPROC = decltype(&::glLogicOp);
using PFNGLSTENCILFUNCPROC = decltype(&::glStencilFunc);
using PFNGLSTENCILOPPROC = decltype(&::glStencilOp);
using PFNGLDEPTHFUNCPROC = decltype(&::glDepthFunc);
using PFNGLPIXELSTOREFPROC = decltype(&::glPixelStoref);
using PFNGLPIXELSTOREIPROC = decltype(&::glPixelStorei);
using PFNGLREADBUFFERPROC = decltype(&::glReadBuffer);
using PFNGLREADPIXELSPROC = decltype(&::glReadPixels);
using PFNGLGETBOOLEANVPROC = decltype(&::glGetBooleanv);
using PFNGLGETDOUBLEVPROC = decltype(&::glGetDoublev);
using PFNGLGETERRORPROC = decltype(&::glGetError);
using PFNGLGETFLOATVPROC = decltype(&::glGetFloatv);
using PFNGLGETINTEGERVPROC = decltype(&::glGetIntegerv);
using PFNGLGETSTRINGPROC = decltype(&::glGetString);
using PFNGLGETTEXIMAGEPROC = decltype(&::glGetTexImage);
using PFNGLGETTEXPARAMETERFVPROC = decltype(&::glGetTexParameterfv);
using PFNGLGETTEXPARAMETERIVPROC = decltype(&::glGetTexParameteriv);
using PFNGLGETTEXLEVELPARAMETERFVPROC = decltype(&::glGetTexLevelParameterfv);
using PFNGLGETTEXLEVELPARAMETERIVPROC = decltype(&::glGetTexLevelParameteriv);
using PFNGLISENABLEDPROC = decltype(&::glIsEnabled);
using PFNGLDEPTHRANGEPROC = decltype(&::glDepthRange);
using PFNGLVIEWPORTPROC = decltype(&::glViewport);
using PFNGLDRAWARRAYSPROC = decltype(&::glDrawArrays);
using PFNGLDRAWELEMENTSPROC = decltype(&::glDrawElements);
using PFNGLGETPOINTERVPROC = decltype(&::glGetPointerv);
using PFNGLPOLYGONOFFSETPROC = decltype(&::glPolygonOffset);
using PFNGLCOPYTEXIMAGE1DPROC = decltype(&::glCopyTexImage1D);
using PFNGLCOPYTEXIMAGE2DPROC = decltype(&::glCopyTexImage2D);
using PFNGLCOPYTEXSUBIMAGE1DPROC = decltype(&::glCopyTexSubImage1D);
using PFNGLCOPYTEXSUBIMAGE2DPROC = decltype(&::glCopyTexSubImage2D);
using PFNGLTEXSUBIMAGE1DPROC = decltype(&::glTexSubImage1D);
using PFNGLTEXSUBIMAGE2DPROC = decltype(&::glTexSubImage2D);
using PFNGLBINDTEXTUREPROC = decltype(&::glBindTexture);
using PFNGLDELETETEXTURESPROC = decltype(&::glDeleteTextures);
using PFNGLGENTEXTURESPROC = decltype(&::glGenTextures);
using PFNGLISTEXTUREPROC = decltype(&::glIsTexture);
