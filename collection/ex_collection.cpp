#include "collection/ex_collection.h"

#include "frame/com/call_frame.h"

namespace tarn {

using com::Bstr;
using com::NotAvailableYet;
using com::RunMember;
using com::Variant;

HRESULT ExCollection::get_RaiseErrors(VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"RaiseErrors"); });
}
HRESULT ExCollection::put_RaiseErrors(VARIANT_BOOL) {
  return RunMember(this, [] { NotAvailableYet<void>(u"RaiseErrors"); });
}
HRESULT ExCollection::get_Err(short* result) {
  return RunMember(this, result, [] { return NotAvailableYet<short>(u"Err"); });
}
HRESULT ExCollection::put_Err(short) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Err"); });
}
HRESULT ExCollection::get_ErrDescription(BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"ErrDescription"); });
}
HRESULT ExCollection::put_ErrDescription(BSTR) {
  return RunMember(this, [] { NotAvailableYet<void>(u"ErrDescription"); });
}
HRESULT ExCollection::TerminateClass() {
  return RunMember(this, [] { NotAvailableYet<void>(u"TerminateClass"); });
}
HRESULT ExCollection::NewEnum(IUnknown** result) {
  return RunMember(this, result, [] { return NotAvailableYet<IUnknown*>(u"NewEnum"); });
}
HRESULT ExCollection::Add(VARIANT*, BSTR*, VARIANT*, VARIANT*, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"Add"); });
}
HRESULT ExCollection::get_Count(LONG* result) {
  return RunMember(this, result, [] { return NotAvailableYet<LONG>(u"Count"); });
}
HRESULT ExCollection::get_Item(VARIANT*, clsExItem** result) {
  return RunMember(this, result, [] { return NotAvailableYet<clsExItem*>(u"Item"); });
}
HRESULT ExCollection::put_Item(VARIANT*, VARIANT*) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Item"); });
}
HRESULT ExCollection::putref_Item(VARIANT*, IDispatch**) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Item"); });
}
HRESULT ExCollection::Remove(VARIANT*) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Remove"); });
}
HRESULT ExCollection::get_Sorted(VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"Sorted"); });
}
HRESULT ExCollection::put_Sorted(VARIANT_BOOL*) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Sorted"); });
}
HRESULT ExCollection::Key(LONG, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"Key"); });
}
HRESULT ExCollection::Index(BSTR*, LONG* result) {
  return RunMember(this, result, [] { return NotAvailableYet<LONG>(u"Index"); });
}
HRESULT ExCollection::ExistKey(BSTR*, VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"ExistKey"); });
}

}  // namespace tarn
