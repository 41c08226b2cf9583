// CPathDifferenceDlg ("声程差计算"): the path differences of a point source over and around a
// thin barrier. The caller hands in the horizontal source-to-receiver distance r and a preset
// barrier kind, runs the dialog modally and, when it closes (it has no OK button), reads
// delta1..delta3 and the kind back, but only once a computation succeeded: a dialog closed
// unused hands nothing back.
//
//   CPathDifferenceDlg dlg(page, r_m, CPathDifferenceDlg::kPresetInfinite);
//   dlg.exec();
//   if (dlg.computed()) use(dlg.delta1());
#pragma once

#include <QDialog>
#include <array>

class QRadioButton;

namespace app {

class BarrierSketch;
class CalculatorPage;

class CPathDifferenceDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPresetNone = -1;
  static constexpr int kPresetFinite = 0;
  static constexpr int kPresetInfinite = 1;

  CPathDifferenceDlg(QWidget* parent, double r_m, int presetKind = kPresetNone);
  ~CPathDifferenceDlg() override;

  // The values handed back: 0 when the dialog opens, the last successful computation's after.
  double delta1() const { return m_delta[0]; }
  double delta2() const { return m_delta[1]; }
  double delta3() const { return m_delta[2]; }
  // The chosen kind: 0 finite, 1 infinite.
  int kind() const { return m_kind; }
  // True once "计算" succeeded (the direct-sight case, with its zero deltas, included).
  bool computed() const { return m_computed; }

  // "计算": checks, computes and shows the text; true when values were computed.
  bool compute();
  // Clicking a kind button: the figure and the finite-only fields follow it.
  void chooseKind(int kind);

  CalculatorPage& form() const { return *m_form; }
  BarrierSketch* sketch() const { return m_sketch; }
  QRadioButton* kindButton(int kind) const;

 protected:
  void done(int result) override;

 private:
  void showFiniteFields(bool visible);

  CalculatorPage* m_form = nullptr;
  BarrierSketch* m_sketch = nullptr;
  std::array<double, 3> m_delta{0, 0, 0};
  int m_kind = 0;
  bool m_computed = false;
};

}  // namespace app
